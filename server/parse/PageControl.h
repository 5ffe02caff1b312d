#pragma once

#include <QString>

// Actions on a page that is live in the navigating loader, as the page-number box of the older
// layouts needs them. The loader's live-page handle provides them; the calls block until the
// page has carried them out.
class PageControl {
public:
    virtual ~PageControl() = default;
    // Sets the value of the input element with that id; false when there is none.
    virtual bool SetValueById(const QString& id, const QString& value) = 0;
    // Clicks the element with that id; false when there is none.
    virtual bool ClickById(const QString& id) = 0;
};

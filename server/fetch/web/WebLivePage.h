#pragma once

#include "server/fetch/forms/LivePage.h"
#include "server/fetch/web/WebPageHost.h"

#include <memory>

// The live-page handle of the navigating loader: each action is a small script run in the
// engine page on the GUI thread, awaited from the caller's thread.
class WebLivePage : public LivePage {
public:
    explicit WebLivePage(std::shared_ptr<WebPageHostLink> link, int callTimeoutMs = 10000);

    bool SetValue(const QString& selector, const QString& value) override;
    bool SetChecked(const QString& selector, bool checked) override;
    bool Click(const QString& selector) override;
    bool FireOnClick(const QString& selector) override;
    bool ElementSize(const QString& selector, int* width, int* height) override;
    bool RenderElement(const QString& selector, int width, int height, QByteArray* bits) override;
    DocumentPtr Snapshot() override;

private:
    // Runs `body` with `el` bound to the first match of `selector`; the script's value, or
    // none when no element matches or the page did not answer.
    bool RunOnElement(const QString& selector, const QString& body, QVariant* result);

    std::shared_ptr<WebPageHostLink> link_;
    int callTimeoutMs_;
};

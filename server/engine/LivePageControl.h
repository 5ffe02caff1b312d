#pragma once

#include "server/fetch/forms/LivePage.h"
#include "server/parse/PageControl.h"

#include <memory>

// The parsers' page-number actions carried out on the navigating loader's live page.
class LivePageControl : public PageControl {
public:
    explicit LivePageControl(std::shared_ptr<LivePage> page) : page_(std::move(page)) {}
    bool SetValueById(const QString& id, const QString& value) override {
        return page_ && page_->SetValue(SelectorForId(id), value);
    }
    bool ClickById(const QString& id) override { return page_ && page_->Click(SelectorForId(id)); }

private:
    std::shared_ptr<LivePage> page_;
};

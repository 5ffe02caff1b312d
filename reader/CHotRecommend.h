#pragma once

#include "reader/CBrowserPage.h"

// The discount page of the maker's second site; its new-window links open in the browser.
class CHotRecommend : public CBrowserPage {
    Q_OBJECT
public:
    explicit CHotRecommend(QWidget* parent = nullptr);
    QString Address() const override;
};

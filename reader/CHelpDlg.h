#pragma once

#include "reader/CBrowserPage.h"

class QLabel;
class QPushButton;

// The help page with the program's version.
class CHelpDlg : public CBrowserPage {
    Q_OBJECT
public:
    static constexpr const char* kVersion = "0.93";

    explicit CHelpDlg(QWidget* parent = nullptr);
    QString Address() const override;
    QLabel* VersionLabel() const { return version_; }

protected:
    QRect BrowserRect() const override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* info_ = nullptr;
    QLabel* site_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* newest_ = nullptr;
    QPushButton* upgrade_ = nullptr;
};

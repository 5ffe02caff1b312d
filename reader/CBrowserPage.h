#pragma once

#include "skin/CSkinChildDialog.h"

class CExplorer1;

// A tab page that shows one web address in its browser, loaded the first time it is shown.
class CBrowserPage : public CSkinChildDialog {
    Q_OBJECT
public:
    CBrowserPage(bool silent, QWidget* parent = nullptr);

    // Loads the page's address unless it was loaded before.
    void ShowPage();
    bool Loaded() const { return loaded_; }
    int LoadCount() const { return loadCount_; }
    CExplorer1* Browser() const { return browser_; }
    virtual QString Address() const = 0;

protected:
    // The browser's place in the page.
    virtual QRect BrowserRect() const;
    void resizeEvent(QResizeEvent* event) override;
    void OnSkinPaint(QPainter& painter) override;

private:
    CExplorer1* browser_ = nullptr;
    bool loaded_ = false;
    int loadCount_ = 0;
};

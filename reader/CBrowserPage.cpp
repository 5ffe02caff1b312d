#include "reader/CBrowserPage.h"

#include "reader/CExplorer1.h"
#include "reader/ReaderLook.h"

#include <QPainter>
#include <QUrl>

CBrowserPage::CBrowserPage(bool silent, QWidget* parent) : CSkinChildDialog(parent) {
    SetBackgroundBitmap(kPanelBitmap);
    browser_ = new CExplorer1(silent, this);
}

void CBrowserPage::ShowPage() {
    if (loaded_)
        return;
    loaded_ = true;
    ++loadCount_;
    browser_->load(QUrl(Address()));
}

QRect CBrowserPage::BrowserRect() const {
    return rect().adjusted(10, 10, -10, -10);
}

void CBrowserPage::resizeEvent(QResizeEvent* event) {
    CSkinChildDialog::resizeEvent(event);
    browser_->setGeometry(BrowserRect());
}

void CBrowserPage::OnSkinPaint(QPainter& painter) {
    // A thin frame around the browser.
    painter.setPen(QColor(127, 157, 185));
    painter.drawRect(BrowserRect().adjusted(-1, -1, 0, 0));
}

#include "reader/CBrowserPage.h"

#include "reader/CExplorer1.h"
#include "reader/ReaderLook.h"

#include <QPainter>
#include <QUrl>

CBrowserPage::CBrowserPage(bool silent, QWidget* parent) : QWidget(parent) {
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
    QWidget::resizeEvent(event);
    browser_->setGeometry(BrowserRect());
}

void CBrowserPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    ReaderLook::PaintPanel(painter, rect());
    // A thin frame around the browser.
    painter.setPen(QColor(127, 157, 185));
    painter.drawRect(BrowserRect().adjusted(-1, -1, 0, 0));
}

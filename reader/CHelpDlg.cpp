#include "reader/CHelpDlg.h"

#include "common/Settings.h"

#include <QLabel>
#include <QPushButton>

CHelpDlg::CHelpDlg(QWidget* parent) : CBrowserPage(false, parent) {
    info_ = new QLabel(
        QStringLiteral("Quillmere 天涯长帖阅读器：关注帖子，自动下载新页，离线阅读。"), this);
    site_ = new QLabel(this);
    site_->setText(QStringLiteral("官方网站：http://") + Hosts().makerSite);
    site_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version_ = new QLabel(QStringLiteral("当前版本：") + QString::fromLatin1(kVersion), this);
    newest_ = new QLabel(QStringLiteral("最新版本："), this);
    newest_->hide();
    upgrade_ = new QPushButton(QStringLiteral("升级"), this);
    upgrade_->hide();
}

QString CHelpDlg::Address() const {
    return QStringLiteral("http://") + Hosts().makerSite +
           QStringLiteral("/Quillmere/SoftHelp.html");
}

QRect CHelpDlg::BrowserRect() const {
    return QRect(10, 70, std::max(0, width() - 20), std::max(0, height() - 80));
}

void CHelpDlg::resizeEvent(QResizeEvent* event) {
    CBrowserPage::resizeEvent(event);
    const int half = std::max(0, (width() - 20) / 2);
    info_->setGeometry(10, 10, half, 24);
    site_->setGeometry(10 + half, 10, half, 24);
    version_->setGeometry(10, 38, 160, 24);
    newest_->setGeometry(180, 38, 160, 24);
    upgrade_->setGeometry(350, 36, 80, 28);
}

#include "reader/CAddFocusWebpageDlg.h"

#include "common/Settings.h"
#include "reader/ReaderLook.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"

#include <QLineEdit>
#include <QPushButton>

CAddFocusWebpageDlg::CAddFocusWebpageDlg(ServerLink* link, QWidget* parent)
    : CSkinDialogEx(parent), link_(link) {
    SetSkinCaption(QStringLiteral("添加关注网页"));
    SetSkinIcon();
    setFixedSize(480, 200);
    // Positions count from the window's top edge, the caption band included.
    auto* prompt = new CTransparentStatic(QStringLiteral("请输入关注网页网址："), this);
    prompt->setGeometry(20, 46, 440, 22);
    address_ = new QLineEdit(this);
    address_->setMaxLength(1024);
    address_->setGeometry(20, 72, 440, 28);
    address_->setPlaceholderText(QStringLiteral("http://"));
    status_ = new CTransparentStatic(this);
    status_->setGeometry(20, 106, 440, 22);
    status_->SetTextColour(ReaderLook::AccentColour());
    add_ = new CSkinButton(QStringLiteral("添加"), this);
    add_->setDefault(true);
    add_->setGeometry(260, 150, 96, 30);
    exit_ = new CSkinButton(QStringLiteral("退出"), this);
    exit_->setGeometry(364, 150, 96, 30);
    connect(add_, &QPushButton::clicked, this, &CAddFocusWebpageDlg::Add);
    connect(exit_, &QPushButton::clicked, this, &QDialog::reject);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &CAddFocusWebpageDlg::Tick);
    address_->setFocus();
}

QString CAddFocusWebpageDlg::AcceptedAddress(const QString& typed, const QString& forumBareHost) {
    QString address = typed.toLower();
    if (forumBareHost.isEmpty() || !address.contains(forumBareHost.toLower()))
        return {};
    // An address that already names its scheme keeps it; "http://" in front of "https://"
    // would make an address that leads nowhere.
    if (!address.contains(QStringLiteral("http://")) &&
        !address.contains(QStringLiteral("https://")))
        address.prepend(QStringLiteral("http://"));
    return address;
}

QString CAddFocusWebpageDlg::ProgressText(int counter) {
    return QStringLiteral("正在处理，可能需要十几秒钟，请耐心等候") +
           QString(counter % 6, QLatin1Char('.'));
}

void CAddFocusWebpageDlg::Add() {
    const QString address = AcceptedAddress(address_->text(), Hosts().forumBare);
    if (address.isEmpty()) {
        ShowMessage(MessageNotice, this,
                    QStringLiteral("输入网址不合法，请输入天涯论坛帖子的网址！"));
        return;
    }
    link_->Follow(address, QLatin1Char('"') + address + QLatin1Char('"'));
    counter_ = 0;
    timer_.start();
    address_->setEnabled(false);
    add_->setEnabled(false);
}

void CAddFocusWebpageDlg::Tick() {
    ++counter_;
    status_->setText(ProgressText(counter_));
}

void CAddFocusWebpageDlg::ShowAddFollowResult() {
    timer_.stop();
    status_->clear();
    address_->setEnabled(true);
    add_->setEnabled(true);
    address_->clear();
    address_->setFocus();
}

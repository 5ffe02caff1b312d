#include "reader/CLoginDlg.h"

#include "common/Settings.h"
#include "reader/ReaderLook.h"
#include "reader/ReaderState.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

namespace {
CLoginDlg* openDialog = nullptr;
}

CLoginDlg::CLoginDlg(ServerLink* link, QWidget* parent) : CSkinDialogEx(parent), link_(link) {
    openDialog = this;
    SetSkinCaption(QStringLiteral("登录天涯账号"));
    SetSkinIcon();
    // Positions count from the window's top edge, the caption's 30 pixels included.
    auto* userLabel = new CTransparentStatic(QStringLiteral("账 号："), this);
    userLabel->setGeometry(20, 40, 60, 26);
    user_ = new QLineEdit(this);
    user_->setMaxLength(32);
    user_->setGeometry(80, 40, 230, 26);
    auto* passwordLabel = new CTransparentStatic(QStringLiteral("密  码："), this);
    passwordLabel->setGeometry(20, 76, 60, 26);
    password_ = new QLineEdit(this);
    password_->setMaxLength(32);
    password_->setEchoMode(QLineEdit::Password);
    password_->setGeometry(80, 76, 230, 26);
    codeLabel_ = new CTransparentStatic(QStringLiteral("验证码："), this);
    codeLabel_->setGeometry(20, 117, 60, 26);
    code_ = new QLineEdit(this);
    code_->setMaxLength(8);
    code_->setGeometry(80, 117, 50, 26);
    change_ = new CSkinButton(QStringLiteral("换一张"), this);
    change_->setGeometry(240, 117, 70, 26);
    login_ = new CSkinButton(QStringLiteral("登录"), this);
    login_->setDefault(true);
    cancel_ = new CSkinButton(QStringLiteral("取消"), this);
    connect(login_, &QPushButton::clicked, this, &CLoginDlg::LogIn);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(change_, &QPushButton::clicked, this, [this] { link_->ChangeVerifyCode(); });

    const LoginState& state = TheLoginState();
    if (state.loggedIn) {
        user_->setText(state.userName);
        password_->setText(state.password);
    } else {
        user_->setText(ReadSettingText(QStringLiteral("Base"), QStringLiteral("UserName")));
    }
    (user_->text().isEmpty() ? user_ : password_)->setFocus();
    Arrange();
}

CLoginDlg::~CLoginDlg() {
    if (openDialog == this)
        openDialog = nullptr;
}

CLoginDlg* CLoginDlg::OpenDialog() {
    return openDialog;
}

void CLoginDlg::Arrange() {
    codeLabel_->setVisible(pictureShown_);
    code_->setVisible(pictureShown_);
    change_->setVisible(pictureShown_);
    const int height = pictureShown_ ? kHeightWithPicture : kHeightWithout;
    const int buttonsY = pictureShown_ ? 170 : 130;
    setFixedSize(330, height);
    login_->setGeometry(120, buttonsY, 90, 28);
    cancel_->setGeometry(220, buttonsY, 90, 28);
}

void CLoginDlg::SetInputEnabled(bool enabled) {
    user_->setEnabled(enabled);
    password_->setEnabled(enabled);
    code_->setEnabled(enabled);
    login_->setEnabled(enabled);
}

void CLoginDlg::LogIn() {
    const QString code = pictureShown_ ? code_->text() : QString();
    link_->Login(user_->text(), password_->text(), code);
    SetInputEnabled(false);
    LoginState& state = TheLoginState();
    state.userName = user_->text();
    state.password = password_->text();
}

void CLoginDlg::ShowLoginResult(const LoginAnswerInfo& answer) {
    ShowMessage(MessageNotice, this, answer.message);
    if (answer.result == 1) {
        accept();
        return;
    }
    SetInputEnabled(true);
    const bool wasShown = pictureShown_;
    picture_ = answer.picture;
    pictureShown_ = !picture_.isNull();
    if (wasShown != pictureShown_)
        Arrange();
    update();
}

void CLoginDlg::OnSkinPaint(QPainter& painter) {
    if (!picture_.isNull())
        painter.drawImage(QPoint(134, 115), picture_);
}

#pragma once

#include "skin/CSkinDialogEx.h"

#include <QImage>

class QLabel;
class QLineEdit;
class QPushButton;
class ServerLink;
struct LoginAnswerInfo;

// Logs in to the forum account, with a verification picture when the forum asks for one.
class CLoginDlg : public CSkinDialogEx {
    Q_OBJECT
public:
    static constexpr int kHeightWithPicture = 210;
    static constexpr int kHeightWithout = 165;

    explicit CLoginDlg(ServerLink* link, QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // The login dialog that is open, if any.
    static CLoginDlg* OpenDialog();

    void LogIn();
    void ShowLoginResult(const LoginAnswerInfo& answer);

    bool PictureShown() const { return pictureShown_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QLineEdit* CodeEdit() const { return code_; }
    QPushButton* LoginButton() const { return login_; }
    QPushButton* ChangeButton() const { return change_; }
    const QImage& Picture() const { return picture_; }

protected:
    void OnSkinPaint(QPainter& painter) override;

private:
    void Arrange();
    void SetInputEnabled(bool enabled);

    ServerLink* link_;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* code_ = nullptr;
    QLabel* codeLabel_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* login_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QImage picture_;
    bool pictureShown_ = false;
};

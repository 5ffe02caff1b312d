// The message box, the add-follow dialog and the login dialog, offscreen.
#include "common/Settings.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/CLoginDlg.h"
#include "reader/CMsgBoxDlg.h"
#include "reader/ReaderState.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "skin/CSkinButton.h"
#include "skin/CTransparentStatic.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TEST(MessageBox, BreaksAtLineFeedsAndAt440Pixels) {
    QWidget probe;
    const QFontMetrics metrics(probe.font());
    const QString longWord(200, QLatin1Char('x'));
    const QString longChinese = QString(80, QChar(0x5b57)); // 字
    struct Case {
        QString text;
        QStringList expectedStart; // the first lines exactly, when given
        int minLines;
    } cases[] = {
        {QStringLiteral("一\n二\r\n三"),
         {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")},
         3},
        {QStringLiteral("a\n\nb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}, 3},
        {longWord, {}, 2},
        {longChinese, {}, 2},
        {QStringLiteral("short"), {QStringLiteral("short")}, 1},
    };
    for (const Case& c : cases) {
        const QStringList lines = CMsgBoxDlg::BreakText(c.text, metrics, 440);
        SCOPED_TRACE(c.text.left(20).toStdString());
        EXPECT_GE(lines.size(), c.minLines);
        for (qsizetype i = 0; i < c.expectedStart.size(); ++i)
            EXPECT_EQ(lines.value(i), c.expectedStart[i]);
        QString joined;
        for (const QString& line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), 440) << line.toStdString();
            EXPECT_FALSE(line.contains(QLatin1Char('\r')));
            joined += line;
        }
        // Nothing is lost but the line breaks.
        QString flat = c.text;
        flat.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        EXPECT_EQ(joined, flat);
    }
}

TEST(MessageBox, BreaksAtABlankWhenTheLineHasOne) {
    QWidget probe;
    const QFontMetrics metrics(probe.font());
    // Two words of about 300 pixels each.
    const int n = 300 / metrics.horizontalAdvance(QLatin1Char('a'));
    const QString text =
        QString(n, QLatin1Char('a')) + QLatin1Char(' ') + QString(n, QLatin1Char('b'));
    const QStringList lines = CMsgBoxDlg::BreakText(text, metrics, 440);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QString(n, QLatin1Char('a')));
    EXPECT_EQ(lines[1], QString(n, QLatin1Char('b')));
}

TEST(MessageBox, SizeButtonsAndResultsByType) {
    struct Case {
        int type;
        bool yesShown, noShown, cancelShown;
        int yesResult;
    } cases[] = {{0, true, false, false, 1},
                 {1, true, false, true, 1},
                 {4, true, true, false, 6},
                 {1128, true, false, false, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CMsgBoxDlg box;
        box.SetOkCancelTexts(QStringLiteral("确定"), QStringLiteral("取消"));
        box.SetYesNoTexts(QStringLiteral("是"), QStringLiteral("否"));
        box.SetMessage(c.type, QStringLiteral("一行\n两行"), QStringLiteral("消息"));
        EXPECT_EQ(box.YesButton()->isVisibleTo(&box), c.yesShown);
        EXPECT_EQ(box.NoButton()->isVisibleTo(&box), c.noShown);
        EXPECT_EQ(box.CancelButton()->isVisibleTo(&box), c.cancelShown);
        const int lineHeight = QFontMetrics(box.font()).height();
        EXPECT_EQ(box.height(), 2 * lineHeight + 120);
        EXPECT_EQ(box.TextRect().topLeft(), QPoint(80, 50));
        EXPECT_EQ(box.width(), box.TextRect().width() + 100);
        // The buttons stand 10 pixels above the bottom edge, one centred or two around the centre.
        EXPECT_EQ(box.YesButton()->geometry().bottom(), box.height() - 11);
        if (c.noShown || c.cancelShown)
            EXPECT_EQ(box.YesButton()->geometry().right(), box.width() / 2 - 6);
        else
            EXPECT_EQ(box.YesButton()->geometry().center().x(), box.width() / 2 - 1);
        QTimer::singleShot(0, box.YesButton(), &QPushButton::click);
        EXPECT_EQ(box.exec(), c.yesResult);
    }
}

TEST(MessageBox, TextHeightStopsAt420) {
    CMsgBoxDlg box;
    box.SetMessage(0, QString(200, QLatin1Char('\n')), QStringLiteral("消息"));
    EXPECT_EQ(box.height(), 420 + 120);
}

TEST(MessageBox, EscDoesNothingEnterActsAsTheFocusedButton) {
    CMsgBoxDlg box;
    box.SetYesNoTexts(QStringLiteral("是"), QStringLiteral("否"));
    box.SetMessage(4, QStringLiteral("是否？"), QStringLiteral("消息"));
    int result = -1;
    QTimer::singleShot(0, &box, [&] {
        QTest::keyClick(&box, Qt::Key_Escape);
        EXPECT_TRUE(box.isVisible());
        box.NoButton()->setFocus();
        QTest::keyClick(&box, Qt::Key_Return);
    });
    result = box.exec();
    EXPECT_EQ(result, 7);
}

TEST(ShowMessageSeam, EmptyCaptionBecomesMessage) {
    MessageRecorder recorder;
    recorder.answers = {7};
    EXPECT_EQ(ShowMessage(MessageQuestion, nullptr, QStringLiteral("问")), 7);
    ASSERT_EQ(recorder.shown.size(), 1);
    EXPECT_EQ(recorder.shown[0].caption, QStringLiteral("消息"));
    EXPECT_EQ(recorder.shown[0].kind, 4);
}

TEST(AddFollowDialog, AddressRule) {
    const QString host = QStringLiteral("forum.localhost:8080");
    struct Case {
        const char* typed;
        const char* sent; // empty: rejected
    } cases[] = {
        {"http://www.forum.localhost:8080/t/1-1.shtml",
         "http://www.forum.localhost:8080/t/1-1.shtml"},
        {"HTTP://WWW.FORUM.LOCALHOST:8080/T/1-1.SHTML",
         "http://www.forum.localhost:8080/t/1-1.shtml"},
        {"www.forum.localhost:8080/t/1-1.shtml", "http://www.forum.localhost:8080/t/1-1.shtml"},
        {"see http://x/ forum.localhost:8080", "see http://x/ forum.localhost:8080"},
        {"https://www.forum.localhost:8080/t", "https://www.forum.localhost:8080/t"},
        {"http://www.other.localhost/t/1-1.shtml", ""},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CAddFocusWebpageDlg::AcceptedAddress(QString::fromUtf8(c.typed), host),
                  QString::fromUtf8(c.sent))
            << c.typed;
}

TEST(AddFollowDialog, ProgressDotsCycleBySix) {
    const int expected[] = {1, 2, 3, 4, 5, 0, 1, 2};
    const QString base = QStringLiteral("正在处理，可能需要十几秒钟，请耐心等候");
    for (int tick = 1; tick <= 8; ++tick)
        EXPECT_EQ(CAddFocusWebpageDlg::ProgressText(tick),
                  base + QString(expected[tick - 1], QLatin1Char('.')));
}

TEST(AddFollowDialog, SendsTheAcceptedAddressAndWaitsForTheAnswer) {
    TempHome home;
    home.WriteFile(QStringLiteral("Quillmere.ini"), "[Hosts]\nForumBareHost=forum.localhost\n");
    ReloadHosts();
    CommandChannel channel;
    ServerLink link(&channel);
    FakeServer server;
    link.Start({});
    MessageRecorder messages;
    CAddFocusWebpageDlg dialog(&link);

    dialog.AddressEdit()->setText(QStringLiteral("www.example.com/1.shtml"));
    dialog.Add();
    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("输入网址不合法，请输入天涯论坛帖子的网址！")});
    EXPECT_TRUE(dialog.AddressEdit()->isEnabled());
    EXPECT_EQ(dialog.AddressEdit()->text(), QStringLiteral("www.example.com/1.shtml"));

    dialog.AddressEdit()->setText(QStringLiteral("WWW.Forum.Localhost/T/7-1.shtml"));
    dialog.Add();
    const LargeMessage* sent = server.WaitFor(CDTAddFocusWebpage);
    ASSERT_NE(sent, nullptr);
    const auto request = FromLarge<AddFocusRequest>(*sent);
    EXPECT_EQ(request.address.Get(), QStringLiteral("http://www.forum.localhost/t/7-1.shtml"));
    EXPECT_EQ(request.label.Get(), QStringLiteral("\"http://www.forum.localhost/t/7-1.shtml\""));
    EXPECT_FALSE(dialog.AddressEdit()->isEnabled());
    EXPECT_FALSE(dialog.AddButton()->isEnabled());
    EXPECT_TRUE(dialog.Waiting());
    dialog.Tick();
    dialog.Tick();
    EXPECT_TRUE(dialog.StatusLabel()->text().endsWith(QStringLiteral("等候..")));

    dialog.ShowAddFollowResult();
    EXPECT_FALSE(dialog.Waiting());
    EXPECT_TRUE(dialog.StatusLabel()->text().isEmpty());
    EXPECT_TRUE(dialog.AddressEdit()->isEnabled());
    EXPECT_TRUE(dialog.AddressEdit()->text().isEmpty());
    EXPECT_EQ(dialog.AddressEdit()->maxLength(), 1024);
}

LoginAnswerInfo answer(int result, bool withPicture) {
    LoginAnswerInfo info;
    info.result = result;
    info.message = result ? QStringLiteral("登录成功") : QStringLiteral("验证码错误，请重新输入");
    if (withPicture) {
        info.picture = QImage(100, 30, QImage::Format_RGB32);
        info.picture.fill(QColor(10, 20, 30));
    }
    return info;
}

TEST(LoginDialog, PictureGrowsAndShrinksTheDialog) {
    TempHome home;
    CommandChannel channel;
    ServerLink link(&channel);
    FakeServer server;
    link.Start({});
    MessageRecorder messages;
    TheLoginState() = {};
    CLoginDlg dialog(&link);
    EXPECT_EQ(CLoginDlg::OpenDialog(), &dialog);
    EXPECT_EQ(dialog.height(), 165);
    EXPECT_EQ(dialog.LoginButton()->y(), 130);
    EXPECT_FALSE(dialog.CodeEdit()->isVisibleTo(&dialog));

    dialog.UserEdit()->setText(QStringLiteral("demo"));
    dialog.PasswordEdit()->setText(QStringLiteral("wrong"));
    dialog.LogIn();
    EXPECT_FALSE(dialog.LoginButton()->isEnabled());
    EXPECT_EQ(TheLoginState().userName, QStringLiteral("demo"));

    dialog.ShowLoginResult(answer(0, true));
    EXPECT_TRUE(dialog.PictureShown());
    EXPECT_EQ(dialog.height(), 210);
    EXPECT_EQ(dialog.LoginButton()->y(), 170);
    EXPECT_TRUE(dialog.CodeEdit()->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.LoginButton()->isEnabled());
    EXPECT_EQ(dialog.grab().toImage().pixelColor(134 + 50, 115 + 15), QColor(10, 20, 30));

    QTest::keyClicks(dialog.CodeEdit(), QStringLiteral("123456789"));
    EXPECT_EQ(dialog.CodeEdit()->text(), QStringLiteral("12345678"));
    dialog.LogIn();
    const LargeMessage* second = nullptr;
    server.WaitFor(CDTLogin);
    ASSERT_TRUE(PumpUntil([&] { return server.CountOf(CDTLogin) == 2; }, 5000));
    second = server.records.last().get();
    const auto request = FromLarge<LoginRequest>(*second);
    EXPECT_EQ(request.userName.Get(), QStringLiteral("demo"));
    EXPECT_EQ(request.password.Get(), QStringLiteral("wrong"));
    EXPECT_EQ(request.verifyCode.Get(), QStringLiteral("12345678"));

    dialog.ShowLoginResult(answer(0, false));
    EXPECT_FALSE(dialog.PictureShown());
    EXPECT_EQ(dialog.height(), 165);
    EXPECT_EQ(messages.shown.size(), 2);
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("验证码错误，请重新输入"));

    dialog.show();
    dialog.ShowLoginResult(answer(1, false));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(LoginDialog, TakesTheRememberedAccount) {
    TempHome home;
    home.WriteFile(QStringLiteral("Quillmere.ini"), "[Base]\nUserName=saved\n");
    CommandChannel channel;
    ServerLink link(&channel);
    TheLoginState() = {};
    {
        CLoginDlg dialog(&link);
        EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("saved"));
        EXPECT_TRUE(dialog.PasswordEdit()->text().isEmpty());
    }
    EXPECT_EQ(CLoginDlg::OpenDialog(), nullptr);
    TheLoginState() = {QStringLiteral("me"), QStringLiteral("pw"), 1};
    CLoginDlg dialog(&link);
    EXPECT_EQ(dialog.UserEdit()->text(), QStringLiteral("me"));
    EXPECT_EQ(dialog.PasswordEdit()->text(), QStringLiteral("pw"));
    TheLoginState() = {};
}

} // namespace

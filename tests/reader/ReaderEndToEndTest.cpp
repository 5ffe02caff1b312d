// The reader's windows in this process against the real server and the sample forum, each
// test in a home of its own.
#include "tests/reader/ReaderEndToEndFixture.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace quillmere_e2e;

TEST_F(ReaderEndToEnd, FollowThroughTheDialogMakePermanentDeleteAndRestart) {
    EXPECT_EQ(window->TabIndex(), CMainDlg::TabForum);
    messages.answers = {7, 7};
    const QString address = threadUrl("/publicforum/content/free/1/1001-1.shtml");
    bool dialogAnswered = false;
    QTimer::singleShot(0, window.get(), [&] {
        CAddFocusWebpageDlg* dialog = window->FollowList()->AddFollowDialog();
        ASSERT_NE(dialog, nullptr);
        dialog->AddressEdit()->setText(address);
        dialog->Add();
        EXPECT_TRUE(dialog->Waiting());
        dialogAnswered = PumpUntil([&] { return !dialog->Waiting(); }, 60000);
        dialog->reject();
    });
    window->FollowList()->RunAddFollowDialog();
    ASSERT_TRUE(dialogAnswered);
    ASSERT_EQ(answers.size(), 1);
    EXPECT_EQ(answers[0].first, 1);
    const int followNo = answers[0].second;
    ASSERT_GT(followNo, 0);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].kind, 4);
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("添加关注成功!是否立即阅读？")));
    EXPECT_TRUE(windows.calls.isEmpty()); // answered no

    ASSERT_GE(rowOf(followNo), 0);
    EXPECT_EQ(cell(followNo, 4), QStringLiteral("临时阅读"));
    EXPECT_TRUE(PumpUntil([&] { return cell(followNo, 3) == QStringLiteral("12/12"); }, 90000))
        << cell(followNo, 3).toStdString();

    selectOnly(followNo);
    window->FollowList()->RunMenuCommand(CQuillmereDlg::CmdMakePermanent);
    EXPECT_EQ(cell(followNo, 4), QStringLiteral("永久阅读"));
    EXPECT_EQ(messages.shown.last().text, QStringLiteral("设置永久阅读成功！"));

    // A second follow, deleted from the list.
    link->Follow(threadUrl("/publicforum/content/news/1/1004-1.shtml"), QStringLiteral("\"1004\""));
    ASSERT_TRUE(PumpUntil([&] { return answers.size() == 2; }, 60000));
    const int second = answers[1].second;
    ASSERT_TRUE(PumpUntil([&] { return rowOf(second) >= 0; }, 10000));
    FollowRecord secondRecord;
    ASSERT_TRUE(ReadFollowedThread(second, secondRecord));
    selectOnly(second);
    window->FollowList()->RunMenuCommand(CQuillmereDlg::CmdDelete);
    EXPECT_EQ(rowOf(second), -1);
    EXPECT_EQ(messages.shown.last().text,
              QStringLiteral("已删除1项关注，程序退出并重新运行后生效！"));

    restartReader();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(window->TabIndex(), CMainDlg::TabFollows);
    EXPECT_EQ(rowOf(second), -1);
    EXPECT_FALSE(ReadFollowedThread(second, secondRecord));
    EXPECT_FALSE(QFile::exists(home.File(secondRecord.dbFileName)));
    EXPECT_EQ(cell(followNo, 3), QStringLiteral("12/12"));
    EXPECT_EQ(cell(followNo, 4), QStringLiteral("永久阅读"));
}

TEST_F(ReaderEndToEnd, ARecommendationIsFollowedFromTheFocusTab) {
    // The server stores the front page after its start; the tab fills when it hears of it.
    ASSERT_TRUE(PumpUntil([&] { return window->FocusPage()->List()->rowCount() > 0; }, 90000));
    QTableWidget* focus = window->FocusPage()->List();
    const QString title = focus->item(0, CTianyaFocusDlg::ColTitle1)->text();
    ASSERT_FALSE(title.isEmpty());
    window->SwitchTab(CMainDlg::TabFocus);
    messages.answers = {6, 7};
    window->FocusPage()->OnClick(0, CTianyaFocusDlg::ColTitle1);
    ASSERT_TRUE(PumpUntil([&] { return !answers.isEmpty(); }, 60000));
    EXPECT_EQ(messages.shown[0].text, QStringLiteral("是否将\"%1\"添加为关注？").arg(title));
    EXPECT_EQ(answers[0].first, 1);
    EXPECT_TRUE(messages.shown[1].text.startsWith(QLatin1Char('"') + title + QLatin1Char('"')));
    ASSERT_TRUE(PumpUntil([&] { return rowOf(answers[0].second) >= 0; }, 10000));
    EXPECT_EQ(cell(answers[0].second, 4), QStringLiteral("临时阅读"));
}

TEST_F(ReaderEndToEnd, AKilledServerIsStartedAgainByTheNextCommand) {
    // A second copy started while the first was still coming up ends by itself (single
    // instance); wait for it to be gone, so the one killed is the one that serves.
    QList<qint64> before;
    ASSERT_TRUE(PumpUntil(
        [&] {
            before = ServersOf(home.Path());
            return before.size() == 1;
        },
        10000));
    ::kill(static_cast<pid_t>(before[0]), SIGKILL);
    ASSERT_TRUE(PumpUntil([&] { return ServersOf(home.Path()).isEmpty(); }, 10000));
    messages.answers = {7};
    link->Follow(threadUrl("/publicforum/content/news/1/1004-1.shtml"), QStringLiteral("\"1004\""));
    ASSERT_TRUE(PumpUntil([&] { return !answers.isEmpty(); }, 90000)) << "the follow was lost";
    EXPECT_EQ(answers[0].first, 1);
    EXPECT_GE(serverRuns, 2);
    EXPECT_EQ(ServersOf(home.Path()).size(), 1);
    ASSERT_TRUE(PumpUntil([&] { return rowOf(answers[0].second) >= 0; }, 10000));
}

// The same reader with its real reading windows.
class ReaderWithReadingWindows : public ReaderEndToEnd {
protected:
    bool realWindows() const override { return true; }
};

TEST_F(ReaderWithReadingWindows, AFollowedThreadOpensInItsReadingWindowOnce) {
    messages.answers = {6}; // read it now
    link->Follow(threadUrl("/publicforum/content/free/1/1001-1.shtml"), QStringLiteral("\"1001\""));
    ASSERT_TRUE(PumpUntil([&] { return windowRegistry->OpenWindowCount() == 1; }, 60000));
    const int followNo = answers[0].second;
    auto* shown = dynamic_cast<QWidget*>(windowRegistry->FindReadingWindow(followNo));
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    // A click on its row shows the same window again.
    ASSERT_TRUE(PumpUntil([&] { return rowOf(followNo) >= 0; }, 10000));
    window->FollowList()->OpenReadingWindow(followNo, QString());
    EXPECT_EQ(windowRegistry->OpenWindowCount(), 1);
    EXPECT_EQ(windowRegistry->FindReadingWindow(followNo), dynamic_cast<ReadingWindow*>(shown));
    // Deleting the follow closes the window; the list's timer destroys it.
    EXPECT_EQ(window->FollowList()->DeleteFollow(followNo), 1);
    EXPECT_EQ(windowRegistry->OpenWindowCount(), 0);
    EXPECT_TRUE(PumpUntil([&] { return windowRegistry->ClosedWindowCount() == 0; }, 5000));
}

} // namespace

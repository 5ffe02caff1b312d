// The reader's windows in this process against the real server and the sample forum, each
// test in a home of its own.
#include "common/CommandChannel.h"
#include "common/Settings.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/CMainDlg.h"
#include "reader/CQuillmereApp.h"
#include "reader/CQuillmereDlg.h"
#include "reader/CTianyaFocusDlg.h"
#include "reader/FollowModels.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLauncher.h"
#include "reader/ServerLink.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "tests/e2e/TestProcesses.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// The servers running on a home (found by their command line).
QList<qint64> ServersOf(const QString& home) {
    QList<qint64> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || !ProcessExists(pid))
            continue;
        QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> args = file.readAll().split('\0');
        if (args.size() >= 3 && args[0].endsWith("/QuillmereServer") &&
            args.contains(QFile::encodeName(QDir::cleanPath(home))))
            pids.append(pid);
    }
    return pids;
}

class ReaderEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        forum = std::make_unique<DemoForumProcess>(home.File(QStringLiteral("Quillmere.ini")));
        ASSERT_TRUE(forum->Ready());
        ReloadHosts();
        ASSERT_TRUE(EnsureCatalogueFile());
        messages.answers.clear();
        startReader();
        ServerLauncher::Start();
        ASSERT_TRUE(PumpUntil([&] { return serverRuns > 0; }, 30000)) << "no CDTSvrRun";
    }

    void TearDown() override {
        if (window)
            window->close();
        window.reset();
        readingWindows.reset();
        windowRegistry.reset();
        // The server leaves when told; one that does not is ended here.
        CommandChannel exitChannel;
        exitChannel.StartChannel(QString::fromLatin1(ServerLink::kServerTitle));
        exitChannel.QueueSmall(MakeSmall(CDTAppExit));
        exitChannel.WaitUntilIdle(3000);
        PumpUntil([&] { return ServersOf(home.Path()).isEmpty(); }, 20000);
        for (qint64 pid : ServersOf(home.Path()))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
        link.reset();
        models.reset();
        registry.reset();
        channel.reset();
    }

    // The reader's link, models and main window, as a start of the program makes them.
    void startReader() {
        channel = std::make_unique<CommandChannel>();
        link = std::make_unique<ServerLink>(channel.get());
        QObject::connect(link.get(), &ServerLink::serverRunning, [this] { ++serverRuns; });
        QObject::connect(link.get(), &ServerLink::followAnswered,
                         [this](int result, int followNo, const QString&) {
                             answers.append({result, followNo});
                         });
        ASSERT_TRUE(link->Start([] { ServerLauncher::Start(); }));
        registry = std::make_unique<ReadingModelRegistry>();
        models = std::make_unique<FollowModels>(*registry);
        ReadingWindows* shown = &windows;
        if (realWindows()) {
            windowRegistry = std::make_unique<ReadingWindowRegistry>(
                *registry, ReadingWindowRegistry::WindowFactory());
            readingWindows =
                std::make_unique<RegistryReadingWindows>(*registry, *windowRegistry, *link);
            shown = readingWindows.get();
        }
        window = std::make_unique<CMainDlg>(link.get(), models.get(), shown);
        window->Initialise();
        window->show();
    }

    // Closes the reader's window and starts the reader again on the same home; the server
    // keeps running.
    virtual bool realWindows() const { return false; }

    // Ends the reader and the server the way the program ends, then starts both again on the
    // same home.
    void restartReader() {
        window->close();
        window.reset();
        readingWindows.reset();
        windowRegistry.reset();
        models.reset();
        registry.reset();
        link->AppExit();
        link->Drain(3000);
        link.reset();
        channel.reset();
        ASSERT_TRUE(PumpUntil([&] { return ServersOf(home.Path()).isEmpty(); }, 20000));
        CQuillmereApp::PurgeTemporaryFollows();
        serverRuns = 0;
        startReader();
        ServerLauncher::Start();
        ASSERT_TRUE(PumpUntil([&] { return serverRuns > 0; }, 30000));
    }

    QTableWidget* list() const { return window->FollowList()->List(); }
    int rowOf(int followNo) const {
        for (int row = 0; row < list()->rowCount(); ++row)
            if (list()->item(row, 0)->text().toInt() == followNo)
                return row;
        return -1;
    }
    QString cell(int followNo, int column) const {
        const int row = rowOf(followNo);
        return row < 0 ? QString() : list()->item(row, column)->text();
    }
    void selectOnly(int followNo) {
        list()->clearSelection();
        list()->selectRow(rowOf(followNo));
    }
    QString threadUrl(const char* path) const {
        return QStringLiteral("http://") + Hosts().forumWww + QString::fromLatin1(path);
    }

    TempHome home;
    std::unique_ptr<DemoForumProcess> forum;
    std::unique_ptr<CommandChannel> channel;
    std::unique_ptr<ServerLink> link;
    std::unique_ptr<ReadingModelRegistry> registry;
    std::unique_ptr<FollowModels> models;
    FakeReadingWindows windows;
    std::unique_ptr<ReadingWindowRegistry> windowRegistry;
    std::unique_ptr<RegistryReadingWindows> readingWindows;
    MessageRecorder messages;
    std::unique_ptr<CMainDlg> window;
    int serverRuns = 0;
    QList<QPair<int, int>> answers; // result, follow number
};

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

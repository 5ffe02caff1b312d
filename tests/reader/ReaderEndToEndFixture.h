#pragma once

// A fixture for the reader's windows in this process against the real server and the sample
// forum, each test in a home of its own.
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

namespace quillmere_e2e {

// The servers running on a home (found by their command line).
inline QList<qint64> ServersOf(const QString& home) {
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
        forum = std::make_unique<DemoForumProcess>(home.File(QStringLiteral("Quillmere.ini")),
                                                   forumOptions());
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

    // Whether the follow list opens real reading windows or records what it would open.
    virtual bool realWindows() const { return false; }
    // Options of the sample forum for the whole test.
    virtual QStringList forumOptions() const { return {}; }

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

// The same reader with its real reading windows.
class ReaderWithReadingWindows : public ReaderEndToEnd {
protected:
    bool realWindows() const override { return true; }
};

} // namespace quillmere_e2e

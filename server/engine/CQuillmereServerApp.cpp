#include "server/engine/CQuillmereServerApp.h"

#include "common/CrashHandler.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "common/SingleInstance.h"
#include "common/TerminationSignals.h"
#include "common/ThreadRegistry.h"
#include "search/SearchIndexer.h"
#include "server/engine/CQuillmereServerDlg.h"
#include "server/engine/FollowWorkflow.h"
#include "server/engine/LoginReply.h"
#include "server/engine/OnDemandPages.h"
#include "server/engine/PageWalk.h"
#include "server/engine/PictureDownloads.h"
#include "server/engine/StartupRefresh.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/FetchThreads.h"
#include "server/fetch/web/NavigatingLoader.h"
#include "store/CatalogueFile.h"

#include <QApplication>

#include <thread>

namespace {
std::atomic<int> loginCancel{0};
std::atomic<bool> pictureModule{true};
} // namespace

std::atomic<int>& LoginCancelFlag() {
    return loginCancel;
}

bool PictureModuleOn() {
    return pictureModule.load();
}

void CQuillmereServerApp::FillDispatchTable() {
    using Small = CommandDispatcher;
    dispatcher_.Set(CDTAddFocusWebpage, [](const LargeMessage& r) { StartFollow(r); });
    dispatcher_.Set(CDTLogin, [](const LargeMessage& r) { StartLogin(r); });
    dispatcher_.Set(CDTReply, [](const LargeMessage& r) { StartReply(r); });
    dispatcher_.Set(CDTRefresh, [](const LargeMessage& r) { RefreshOne(Small::SmallOf(r).a); });
    dispatcher_.Set(CDTUserSet, [](const LargeMessage& r) {
        const SmallMessage m = Small::SmallOf(r);
        FetchChosenPage(m.a, m.b, m.c);
    });
    dispatcher_.Set(CDTWriteLog,
                    [](const LargeMessage&) { WriteLogFile(QStringLiteral("SvrLog.txt")); });
    for (const int code : {CDTReadNeedNext, CDTReadNeedLast}) {
        dispatcher_.Set(code, [code](const LargeMessage& r) {
            const SmallMessage m = Small::SmallOf(r);
            Log(QString::asprintf("CDTReadNeedLast ulFocusIndex=%d ulBeginPageNO=%d ulEndPageNO=%d",
                                  m.a, m.b, m.c));
            FetchNeededPages(code == CDTReadNeedNext ? TaskLaterPages : TaskEarlierPages, m.a, m.b,
                             m.c);
        });
    }
    dispatcher_.Set(CDTReadWebpage,
                    [](const LargeMessage& r) { FetchThreadPictures(Small::SmallOf(r).a); });
    dispatcher_.Set(CDTReadPageNoRang, [](const LargeMessage& r) {
        const SmallMessage m = Small::SmallOf(r);
        PrioritisePictures(m.a, m.b, m.c);
    });
    dispatcher_.Set(CDTLoginCancel, [](const LargeMessage&) { loginCancel = 1; });
}

int CQuillmereServerApp::Run(int argc, char** argv) {
    // A second copy ends here without touching anything.
    SingleInstance instance(QStringLiteral("QuillmereServerExe"));
    if (!instance.IsFirst())
        return 0;

    PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    // The runtime locale stays as it is: every text this program writes is UTF-8.

    // Indexes stored pages for the search; outlives every thread that stores pages.
    SearchIndexer searchIndexer;
    SetPictureStore(PictureDownloaded);
    NavigatingLoaderOptions navigation;
    navigation.loginCancelFlag = &loginCancel;
    StartFetchThreads([navigation] { StartNavigatingLoaderThread(navigation); });
    pictureModule = ReadSettingInt(QStringLiteral("ModuleValid"), QStringLiteral("GetImg"), 1) != 0;
    QueueVersionCheck();
    // Tests shorten the guard's five minutes; nothing else reads these.
    const int guardMs = qEnvironmentVariableIntValue("QUILLMERE_GUARD_INTERVAL_MS");
    StartBeginRenovateTianya(30, guardMs > 0 ? guardMs : 300000);
    FillDispatchTable();

    CQuillmereServerDlg window(dispatcher_);
    dispatcher_.Set(CDTAppExit, [&window](const LargeMessage&) {
        QMetaObject::invokeMethod(
            &window, [&window] { window.reject(); }, Qt::QueuedConnection);
    });
    if (!window.Initialise())
        return 1;
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Requested, &window,
                     [&window] { window.RequestCloseOnce(); });
    app.exec();

    StopAllThreads(15000);
    // The navigating loader hands its web page to this thread for deletion; run that now,
    // while the application lives, so the page goes before its profile and the profile
    // writes its cookies.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseCrashHandlerLock();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return 0;
}

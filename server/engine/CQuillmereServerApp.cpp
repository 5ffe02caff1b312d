#include "server/engine/CQuillmereServerApp.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "common/SingleInstance.h"
#include "common/TerminationSignals.h"
#include "server/engine/CQuillmereServerDlg.h"
#include "server/engine/FollowWorkflow.h"
#include "server/engine/LoginReply.h"
#include "server/engine/OnDemandPages.h"
#include "server/engine/PageWalk.h"
#include "server/fetch/web/NavigatingLoader.h"
#include "store/CatalogueFile.h"

#include <QApplication>

#include <thread>

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
    dispatcher_.Set(CDTLoginCancel,
                    [this](const LargeMessage&) { runtime_.Engine().loginCancel = 1; });
}

int CQuillmereServerApp::Run(int argc, char** argv) {
    // A second copy ends here without touching anything.
    SingleInstance instance(QStringLiteral("QuillmereServerExe"));
    if (!instance.IsFirst())
        return 0;

    // No window is ever shown: the offscreen platform keeps the server independent of the
    // desktop's display, which may go away under it (its web page works there too).
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareWebEngine();
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    // The runtime locale stays as it is: every text this program writes is UTF-8.

    ServerRuntimeOptions options;
    options.picturesOn =
        ReadSettingInt(QStringLiteral("ModuleValid"), QStringLiteral("GetImg"), 1) != 0;
    // Tests shorten the guard's five minutes; nothing else reads this.
    const int guardMs = qEnvironmentVariableIntValue("QUILLMERE_GUARD_INTERVAL_MS");
    if (guardMs > 0)
        options.guardIntervalMs = guardMs;
    runtime_.Start(options);
    FillDispatchTable();

    CQuillmereServerDlg window(dispatcher_);
    dispatcher_.Set(CDTAppExit, [&window](const LargeMessage&) {
        QMetaObject::invokeMethod(
            &window, [&window] { window.reject(); }, Qt::QueuedConnection);
    });
    const bool listening = window.Initialise();
    if (listening) {
        QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::Requested, &window,
                         [&window] { window.RequestCloseOnce(); });
        app.exec();
    }

    runtime_.Stop(15000);
    // The navigating loader hands its web page to this thread for deletion; run that now,
    // while the application lives, so the page goes before its profile and the profile
    // writes its cookies.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return listening ? 0 : 1;
}

#include "CQuillmereServerApp.h"

#include "CQuillmereServerDlg.h"
#include "Log.h"
#include "CatalogueFile.h"
#include "ProgramDirectory.h"
#include "Settings.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"
#include "ThreadRegistry.h"
#include "CrashHandler.h"

#include <QApplication>

#include <thread>

namespace {
std::atomic<int> loginCancel{0};
std::atomic<bool> pictureModule{true};
} // namespace

std::atomic<int>& LoginCancelFlag() { return loginCancel; }

bool PictureModuleOn() { return pictureModule.load(); }

void CQuillmereServerApp::FillDispatchTable()
{
    dispatcher_.Set(CDTWriteLog, [](const LargeMessage&) { WriteLogFile(QStringLiteral("SvrLog.txt")); });
    dispatcher_.Set(CDTLoginCancel, [](const LargeMessage&) { loginCancel = 1; });
}

int CQuillmereServerApp::Run(int argc, char** argv)
{
    // A second copy ends here without touching anything.
    SingleInstance instance(QStringLiteral("QuillmereServerExe"));
    if (!instance.IsFirst())
        return 0;

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    // The runtime locale stays as it is: every text this program writes is UTF-8.
    pictureModule = ReadSettingInt(QStringLiteral("ModuleValid"), QStringLiteral("GetImg"), 1) != 0;
    FillDispatchTable();

    CQuillmereServerDlg window(dispatcher_);
    dispatcher_.Set(CDTAppExit, [&window](const LargeMessage&) {
        QMetaObject::invokeMethod(&window, [&window] { window.reject(); }, Qt::QueuedConnection);
    });
    if (!window.Initialise())
        return 1;
    QObject::connect(&window, &QDialog::finished, &app, &QCoreApplication::quit);
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Requested, &window, [&window] { window.RequestCloseOnce(); });
    app.exec();

    StopAllThreads(15000);
    ReleaseCrashHandlerLock();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return 0;
}

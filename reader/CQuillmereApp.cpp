#include "reader/CQuillmereApp.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "common/SingleInstance.h"
#include "common/TerminationSignals.h"
#include "common/Utilities.h"
#include "reader/CMainDlg.h"
#include "reader/CQuillmereDlg.h"
#include "reader/FollowModels.h"
#include "reader/ReaderLook.h"
#include "reader/ReaderState.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLauncher.h"
#include "reader/ServerLink.h"
#include "reader/SoftUpdate.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"
#include "skin/SkinSettings.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

void CQuillmereApp::PurgeTemporaryFollows() {
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return;
    for (const FollowRecord& follow : follows) {
        if (follow.deleteFocus == 0)
            continue;
        if (!follow.dbFileName.isEmpty()) {
            const QString path = follow.dbFileName.startsWith(QLatin1Char('/'))
                                     ? follow.dbFileName
                                     : JoinPath(ProgramDirectory(), follow.dbFileName);
            if (QFile::exists(path) && !QFile::remove(path))
                Log(QStringLiteral("Purge could not delete ") + path, LogWarn);
        }
        DeleteFollowedThread(follow.focusPageNo);
    }
}

void CQuillmereApp::ClearPictureDirectory() {
    const QDir folder(PictureDirectory());
    for (const QFileInfo& entry :
         folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        QFile file(entry.absoluteFilePath());
        if (!entry.isWritable())
            file.setPermissions(file.permissions() | QFile::WriteOwner | QFile::ReadOwner);
        file.remove();
    }
}

void CQuillmereApp::StartServer() {
    ServerLauncher::Start();
}

int CQuillmereApp::Run(int argc, char** argv) {
    SingleInstance instance(QStringLiteral("QuillmereClientExe"));
    if (!instance.IsFirst())
        return 0;
    QElapsedTimer sinceStart;
    sinceStart.start();

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const bool quitWhenShown = app.arguments().contains(QStringLiteral("--quit-when-shown"));
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    EnsureUpdaterFiles();
    PurgeTemporaryFollows();
    ClearPictureDirectory();

    // The reader listens before the server starts, so the server's first record finds it.
    ServerLink link;
    link.Start(&CQuillmereApp::StartServer);
    if (!quitWhenShown)
        StartServer();

    InitSkin(QString());
    ReaderLook::Apply(app);
    TheHelpTips().Read();
    ModuleFlags& flags = TheModuleFlags();
    flags.reply = ReadSettingInt(QStringLiteral("ModuleValid"), QStringLiteral("Reply"), 1);
    flags.getImg = ReadSettingInt(QStringLiteral("ModuleValid"), QStringLiteral("GetImg"), 1);

    ReadingModelRegistry modelRegistry;
    ReadingWindowRegistry windowRegistry(modelRegistry, {});
    FollowModels models(modelRegistry);
    RegistryReadingWindows windows(modelRegistry, windowRegistry, link);
    int result = 0;
    {
        CMainDlg window(&link, &models, &windows);
        window.Initialise();
        window.show();
        if (quitWhenShown) {
            // Measures start-up: the time until the first frame of the window has been drawn.
            QTimer::singleShot(0, &window, [&] {
                std::printf("shown %lld ms, %d follows\n",
                            static_cast<long long>(sinceStart.elapsed()),
                            window.FollowList() ? window.FollowList()->FollowCount() : 0);
                std::fflush(stdout);
                window.close();
            });
        }
        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::Requested, &window, &QWidget::close);
        result = app.exec();
    }
    TheHelpTips().WriteZeros();
    if (!quitWhenShown) {
        link.AppExit();
        // A short wait for the exit record; a server that misses it ends when it misses us.
        link.Drain(1000);
    }
    return result;
}

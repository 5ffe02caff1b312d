#include "reader/CQuillmereApp.h"

#include "common/ProgramDirectory.h"
#include "common/SingleInstance.h"
#include "common/TerminationSignals.h"
#include "reader/CMainDlg.h"
#include "reader/ServerLauncher.h"
#include "reader/SoftUpdate.h"
#include "store/CatalogueFile.h"

#include <QApplication>

int CQuillmereApp::Run(int argc, char** argv) {
    SingleInstance instance(QStringLiteral("QuillmereClientExe"));
    if (!instance.IsFirst())
        return 0;

    QApplication app(argc, argv);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    EnsureUpdaterFiles();

    // The window listens before the server starts, so the server's first record finds it.
    CMainDlg window;
    if (!window.Initialise())
        return 1;
    ServerLauncher::Start();
    window.show();
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::Requested, &window, &QWidget::close);
    return app.exec();
}

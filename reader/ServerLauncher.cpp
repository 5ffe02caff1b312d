#include "reader/ServerLauncher.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"

#include <QProcess>

QString ServerPath() {
    const QString fromEnv = qEnvironmentVariable("QUILLMERE_SERVER");
    return fromEnv.isEmpty() ? HelperProgramPath(QStringLiteral("QuillmereServer")) : fromEnv;
}

QString ServerLauncher::ServerPath() {
    return ::ServerPath();
}

bool ServerLauncher::Start() {
    QString home = ProgramDirectory();
    if (home.endsWith(QLatin1Char('/')))
        home.chop(1);
    const bool started = QProcess::startDetached(ServerPath(), {QStringLiteral("--home"), home});
    Log(QStringLiteral("Start server: ") + ServerPath() +
            (started ? QString() : QStringLiteral(" failed")),
        started ? LogNormal : LogError);
    return started;
}

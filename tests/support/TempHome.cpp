#include "tests/support/TempHome.h"

#include "common/ProgramDirectory.h"
#include "common/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHome::TempHome() : dir_(QDir::tempPath() + QStringLiteral("/qmhome-XXXXXX")) {
    hadEnv_ = qEnvironmentVariableIsSet("QUILLMERE_HOME");
    previousEnv_ = qgetenv("QUILLMERE_HOME");
    qputenv("QUILLMERE_HOME", QFile::encodeName(dir_.path()));
    SetProgramDirectory(dir_.path());
    ReloadHosts();
}

TempHome::~TempHome() {
    if (hadEnv_)
        qputenv("QUILLMERE_HOME", previousEnv_);
    else
        qunsetenv("QUILLMERE_HOME");
}

QString TempHome::Path() const {
    return ProgramDirectory();
}

QString TempHome::File(const QString& name) const {
    return dir_.path() + QLatin1Char('/') + name;
}

void TempHome::WriteFile(const QString& name, const QByteArray& bytes) const {
    const QString path = File(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

#include "common/ProgramDirectory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex homeMutex;
QString& homeValue() {
    static QString home;
    return home;
}

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString defaultHome() {
    const QByteArray env = qgetenv("QUILLMERE_HOME");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    QByteArray xdg = qgetenv("XDG_DATA_HOME");
    if (xdg.isEmpty())
        return QDir::homePath() + QStringLiteral("/.local/share/Quillmere");
    return QString::fromLocal8Bit(xdg) + QStringLiteral("/Quillmere");
}

} // namespace

QString ProgramDirectory() {
    std::lock_guard lock(homeMutex);
    if (homeValue().isEmpty()) {
        const QString home = QDir(defaultHome()).absolutePath();
        QDir().mkpath(home);
        homeValue() = withSlash(home);
    }
    return homeValue();
}

bool SetProgramDirectory(const QString& directory) {
    const QString absolute = QDir(directory).absolutePath();
    if (!QDir().mkpath(absolute))
        return false;
    std::lock_guard lock(homeMutex);
    homeValue() = withSlash(absolute);
    return true;
}

QString HomeFromArguments(int argc, char** argv) {
    QString home;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0 && i + 1 < argc)
            home = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strncmp(argv[i], "--home=", 7) == 0)
            home = QString::fromLocal8Bit(argv[i] + 7);
    }
    if (home.isEmpty())
        home = defaultHome();
    return QDir(home).absolutePath();
}

bool InitProgramDirectory(int argc, char** argv) {
    return SetProgramDirectory(HomeFromArguments(argc, argv));
}

QString ExecutableDirectory() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    buffer[n] = '\0';
    return withSlash(QFileInfo(QString::fromLocal8Bit(buffer)).absolutePath());
}

QString HelperProgramPath(const QString& name) {
    const QString beside = ExecutableDirectory() + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString installed = QDir::cleanPath(
        ExecutableDirectory() + QStringLiteral(QUILLMERE_HELPERS_FROM_BIN "/") + name);
    return QFileInfo(installed).isExecutable() ? installed : beside;
}

QString DeliveredFilePath(const QString& name, const QString& resource) {
    const QString installed =
        QDir::cleanPath(ExecutableDirectory() + QStringLiteral(QUILLMERE_DATA_FROM_BIN "/") + name);
    return QFileInfo(installed).isFile() ? installed : resource;
}

QString LockDirectory() {
    const QString dir = ProgramDirectory() + QStringLiteral("lock/");
    QDir().mkpath(dir);
    return dir;
}

// The first delivered reading document: its body began with a line break, so the post view
// never found it ready. A home that still holds it unchanged gets the current one.
const QByteArray kFirstShowHtml =
    "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Quillmere</title>\n"
    "</head>\n<body>\n</body>\n</html>\n";

void EnsureDeliveredFiles() {
    Q_INIT_RESOURCE(common_files);
    const QString target = ProgramDirectory() + QStringLiteral("Show.html");
    {
        QFile existing(target);
        if (existing.open(QIODevice::ReadOnly) && existing.size() == kFirstShowHtml.size() &&
            existing.readAll() == kFirstShowHtml) {
            existing.close();
            QFile::remove(target);
        }
    }
    if (!QFile::exists(target) &&
        QFile::copy(
            DeliveredFilePath(QStringLiteral("Show.html"), QStringLiteral(":/quillmere/Show.html")),
            target))
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
}

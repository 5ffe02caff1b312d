#include "common/ChannelSocketPath.h"

#include "common/ProgramDirectory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace {

QString ensurePrivateFolder(const QString& folder) {
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

} // namespace

QString ChannelSocketPath(const QString& title) {
    QString home = ProgramDirectory();
    const QString inHome = home + QStringLiteral("run/") + title;
    if (QFile::encodeName(inHome).size() <= kMaxSocketPathBytes) {
        ensurePrivateFolder(home + QStringLiteral("run"));
        return inHome;
    }
    if (home.endsWith(QLatin1Char('/')))
        home.chop(1);
    const QByteArray hash =
        QCryptographicHash::hash(home.toUtf8(), QCryptographicHash::Sha256).toHex();
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty())
        base = QStringLiteral("/tmp");
    const QString folder =
        base + QStringLiteral("/quillmere-") + QString::fromLatin1(hash.left(16));
    return ensurePrivateFolder(folder) + QLatin1Char('/') + title;
}

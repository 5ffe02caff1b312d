#include "common/ChannelSocketPath.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString ensurePrivateFolder(const QString& folder) {
    QDir().mkpath(folder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    return folder;
}

// A folder in a place every user may write to: made here with mode 0700, or, when it exists,
// accepted only as a real folder (never through a link) of this user with exactly that mode.
QString ownPrivateFolder(const QString& folder) {
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST) {
        Log(QStringLiteral("Channel folder cannot be made: ") + folder, LogError);
        return {};
    }
    struct stat info {};
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid() || (info.st_mode & 07777) != 0700) {
        Log(QStringLiteral("Channel folder refused, it is not a private folder of this user: ") +
                folder,
            LogError);
        return {};
    }
    return folder;
}

} // namespace

bool PeerIsSameUser(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (fd < 0 || ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
}

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
    const QString checked = ownPrivateFolder(folder);
    return checked.isEmpty() ? QString() : checked + QLatin1Char('/') + title;
}

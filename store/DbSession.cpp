#include "store/DbSession.h"

#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/Utilities.h"

QString DatabasePath(const QString& databaseName) {
    if (databaseName.startsWith(QLatin1Char('/')))
        return databaseName;
    return JoinPath(ProgramDirectory(), databaseName);
}

QString DatabaseLockName(const QString& databaseName) {
    return FileNameOfPath(databaseName);
}

DbSession::~DbSession() {
    connection_.Close();
    lock_.Unlock();
}

bool DbSession::Open(const QString& databaseName, int lockWaitMs, DbError& error) {
    name_ = databaseName;
    const QString path = DatabasePath(databaseName);
    if (!lock_.Lock(LockDirectory() + DatabaseLockName(databaseName), std::max(0, lockWaitMs))) {
        error.message = QStringLiteral("获取数据库文件失败：") + databaseName;
        Log(error.message, LogError);
        return false;
    }
    const int rc = sqlite3_open(path.toUtf8().constData(), connection_.out());
    if (rc != SQLITE_OK) {
        const QString message = QStringLiteral("打开数据库文件失败：") + databaseName +
                                QStringLiteral("   ") + SqliteMessage();
        connection_.Close();
        lock_.Unlock();
        error.message = message;
        error.code = rc;
        Log(message, LogError);
        return false;
    }
    // Our own accesses are serialised by the lock; another SQLite client of the file (a backup,
    // the sqlite3 shell, a script) is not, and is waited for rather than failing at once.
    sqlite3_busy_timeout(connection_.get(), kBusyTimeoutMs);
    return true;
}

QString DbSession::SqliteMessage() const {
    // sqlite3_errmsg copes with a null connection ("out of memory").
    return QString::fromUtf8(sqlite3_errmsg(connection_.get()));
}

bool DbSession::Fail(const QString& message, int code, DbError& error) const {
    error.message = message + SqliteMessage();
    error.code = code;
    Log(error.message, LogError);
    return false;
}

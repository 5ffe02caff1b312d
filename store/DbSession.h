#pragma once

#include "common/FileLock.h"
#include "store/DbError.h"
#include "store/SqliteHandles.h"

#include <QString>

// How long a statement waits for another SQLite client of the file before it fails.
inline constexpr int kBusyTimeoutMs = 5000;

// The full path of a database name: a name starting with "/" as given, else in the home.
QString DatabasePath(const QString& databaseName);
// The name of the cross-process lock of a database file: its file name.
QString DatabaseLockName(const QString& databaseName);

// One access cycle on a database file: takes the file's lock, opens the connection, and on
// destruction closes the connection before releasing the lock, whatever path the caller
// left by. Lives for one operation and is never shared between threads.
class DbSession {
public:
    DbSession() = default;
    ~DbSession();
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;

    // Lock (waiting at most `lockWaitMs`) and open. On failure fills `error`, logs the
    // message at the error level and returns false; the lock is released again.
    bool Open(const QString& databaseName, int lockWaitMs, DbError& error);

    sqlite3* db() const { return connection_.get(); }
    const QString& name() const { return name_; }

    // The connection's current SQLite message.
    QString SqliteMessage() const;

    // Composes "<prefix><SQLite message>" into `error` with `code`, logs it, returns false.
    bool Fail(const QString& message, int code, DbError& error) const;

private:
    QString name_;
    FileLock lock_;
    SqliteConnection connection_;
};

#include "store/DbAccess.h"

#include "common/Log.h"
#include "store/DbSession.h"
#include "store/SqlText.h"

namespace {

bool IsDone(int rc) {
    return rc == SQLITE_OK || rc == SQLITE_CONSTRAINT;
}

int Exec(const DbSession& session, const QByteArray& statement) {
    return sqlite3_exec(session.db(), statement.constData(), nullptr, nullptr, nullptr);
}

QString InsertStatement(const DbRow& row, const QString& table, bool autoId, int columnCount) {
    QString statement = QStringLiteral("insert into ") + table + QStringLiteral(" values( ");
    if (autoId)
        statement += QStringLiteral("null, ");
    for (int i = 0; i < columnCount; ++i)
        statement += QLatin1Char('\'') + EscapeSqlText(row[i]) + QStringLiteral("',");
    statement.chop(1);
    statement += QStringLiteral(" );");
    return statement;
}

} // namespace

bool ExecuteSql(const QString& statement, const QString& databaseName, DbError& error,
                int lockWaitMs) {
    DbSession session;
    if (!session.Open(databaseName, lockWaitMs, error))
        return false;
    const int rc = Exec(session, statement.toUtf8());
    if (!IsDone(rc))
        return session.Fail(QStringLiteral("执行SQL语句失败：") + statement + QStringLiteral("   "),
                            rc, error);
    return true;
}

bool InsertRows(const DbRowList& rows, const QString& databaseName, const QString& table,
                bool autoId, int columnCount, int lockTimeoutSeconds, DbError& error) {
    if (columnCount < 1 || columnCount > DbRow::kColumns) {
        error.message =
            QStringLiteral("插入数据失败：column count %1 is outside 1 to 10").arg(columnCount);
        error.code = SQLITE_MISUSE;
        Log(error.message, LogError);
        return false;
    }
    DbSession session;
    if (!session.Open(databaseName, std::max(0, lockTimeoutSeconds) * 1000, error))
        return false;
    int rc = Exec(session, QByteArrayLiteral("BEGIN;"));
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("启动事务失败："), rc, error);
    for (const DbRow& row : rows) {
        rc = Exec(session, InsertStatement(row, table, autoId, columnCount).toUtf8());
        // Closing the connection with the transaction open discards the whole batch.
        if (!IsDone(rc))
            return session.Fail(QStringLiteral("插入数据失败："), rc, error);
    }
    rc = Exec(session, QByteArrayLiteral("COMMIT;"));
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("结束事务失败："), rc, error);
    return true;
}

bool QueryRows(const QString& statement, DbRowList& rows, DbError& error,
               const QString& databaseName, int lockWaitMs) {
    rows.clear();
    DbSession session;
    if (!session.Open(databaseName, lockWaitMs, error))
        return false;
    const QByteArray text = statement.toUtf8();
    SqliteStatement query;
    int rc = sqlite3_prepare(session.db(), text.constData(), static_cast<int>(text.size()),
                             query.out(), nullptr);
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("查询数据库文件准备失败："), rc, error);
    if (!query.get())
        return true; // nothing but blanks or comments: no rows
    int columns = -1;
    while (sqlite3_step(query.get()) == SQLITE_ROW) {
        if (columns < 0)
            columns = std::min(sqlite3_data_count(query.get()), DbRow::kColumns);
        DbRow row;
        for (int i = 0; i < columns; ++i) {
            const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), i));
            if (value)
                row[i] = QString::fromUtf8(value, sqlite3_column_bytes(query.get(), i));
        }
        rows.append(std::move(row));
    }
    rc = query.Finalize();
    if (rc != SQLITE_OK)
        return session.Fail(QStringLiteral("清除查询数据失败："), rc, error);
    return true;
}

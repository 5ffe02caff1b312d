#pragma once

#include "store/DbError.h"
#include "store/DbRow.h"

#include <QString>

// How long an operation waits for a database file's lock. Every caller in the programs
// uses these; tests pass shorter waits.
inline constexpr int kDbLockWaitMs = 60000;
inline constexpr int kDbLockWaitSeconds = 60;

// Each call is one whole access cycle (lock, open, run, close, release) and may be made
// from any thread. A database name starting with "/" is used as given; any other name
// lies in the home. Failures fill `error`, go to the log at the error level, and give false.

// Runs one statement. A constraint violation (a duplicate key) counts as success.
bool ExecuteSql(const QString& statement, const QString& databaseName, DbError& error,
                int lockWaitMs = kDbLockWaitMs);

// Inserts the rows into `table` in one transaction, using columns 0 to columnCount - 1
// (1 to 10) of each row as quoted text, with a leading NULL when `autoId` is set. A row
// whose key exists already is skipped; any other failing row discards the whole batch.
bool InsertRows(const DbRowList& rows, const QString& databaseName, const QString& table,
                bool autoId, int columnCount, int lockTimeoutSeconds, DbError& error);

// Runs a query; `rows` is emptied first and receives the first ten columns of each result
// row (NULL as empty text). Rows read before a failing step stay in the list.
bool QueryRows(const QString& statement, DbRowList& rows, DbError& error,
               const QString& databaseName, int lockWaitMs = kDbLockWaitMs);

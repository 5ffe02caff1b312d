#pragma once

#include <sqlite3.h>

// Owns a connection; closing it discards an open transaction.
class SqliteConnection {
public:
    SqliteConnection() = default;
    ~SqliteConnection() { Close(); }
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    sqlite3* get() const { return db_; }
    sqlite3** out() { return &db_; }
    void Close() {
        if (db_) {
            // Statements are finalized by their owners first, so a plain close succeeds.
            sqlite3_close(db_);
            db_ = nullptr;
        }
    }

private:
    sqlite3* db_ = nullptr;
};

// Owns a prepared statement. Finalize reports the result the caller needs to see; the
// destructor only makes sure nothing leaks on early returns.
class SqliteStatement {
public:
    SqliteStatement() = default;
    ~SqliteStatement() { Finalize(); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* get() const { return stmt_; }
    sqlite3_stmt** out() { return &stmt_; }
    int Finalize() {
        const int rc = sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        return rc;
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

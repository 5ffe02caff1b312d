#pragma once

#include <QString>

// What a failed database operation leaves behind.
struct DbError {
    QString message;
    int code = 0; // SQLite result code of the failing call; untouched when the lock failed
};

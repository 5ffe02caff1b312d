#pragma once

#include <QList>
#include <QString>
#include <cstdint>

// Levels of a log entry.
enum LogLevel : int { LogNormal = 0, LogWarn = 1, LogError = 2 };

struct LogEntry {
    int64_t time = 0; // seconds since 1970 UTC
    int level = 0;
    QString message; // as the caller gave it, cut to its first 256 characters
    QString line;    // the finished line that goes to the file
};

// Appends one entry to the process-wide in-memory log (at most 10000 entries, oldest dropped).
void Log(const QString& message, int level = LogNormal);

// Conveniences: the message is built from a printf-style format and one or two integers.
void LogFormat(int level, const char* format, int value);
void LogFormat(int level, const char* format, int first, int second);

// Writes every entry's line, oldest first, to `fileName` in the program directory.
// Returns false when the file cannot be written; the in-memory log is unchanged either way.
bool WriteLogFile(const QString& fileName);

// A copy of the entries, oldest first.
QList<LogEntry> LogEntries();
// Lines of entries whose message contains `part`, oldest first.
QList<QString> LogLinesContaining(const QString& part);
void ClearLog();

// The line `Log` stores for a message at a time, exposed so the line rule can be checked alone.
QString BuildLogLine(int64_t time, int level, const QString& message);

inline constexpr int kMaxLogEntries = 10000;
inline constexpr int kMaxLogLineLength = 256;

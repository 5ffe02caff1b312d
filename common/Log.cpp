#include "common/Log.h"

#include "common/ProgramDirectory.h"
#include "common/Utilities.h"

#include <QFile>

#include <ctime>
#include <deque>
#include <mutex>

namespace {

// Any thread may log until the very end of the process, after every owner has gone, so the
// list and its lock are never destroyed.
struct LogStore {
    std::mutex mutex;
    std::deque<LogEntry> entries;
};
LogStore& store() {
    static LogStore* const kept = new LogStore;
    return *kept;
}
std::deque<LogEntry>& entries() {
    return store().entries;
}

QString levelTag(int level) {
    switch (level) {
    case LogNormal:
        return QStringLiteral("  NormalSysInfoLog   ");
    case LogWarn:
        return QStringLiteral("  WarnSysInfoLog   ");
    case LogError:
        return QStringLiteral("  ErrorSysInfoLog   ");
    default:
        return {};
    }
}

} // namespace

QString BuildLogLine(int64_t time, int level, const QString& message) {
    QString line;
    std::time_t t = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&t, &local)) {
        char buffer[16];
        if (std::strftime(buffer, sizeof buffer, "%H:%M:%S", &local) > 0)
            line = QString::fromLatin1(buffer);
    }
    line += levelTag(level);
    // Only what the line keeps is copied, so a huge message never sits in the line's memory.
    line += QStringView(message).left(std::max<qsizetype>(0, kMaxLogLineLength - line.size()));
    if (line.size() > kMaxLogLineLength)
        line.truncate(kMaxLogLineLength);
    line.squeeze();
    line.remove(QLatin1Char('%'));
    return line;
}

void Log(const QString& message, int level) {
    LogEntry entry;
    entry.time = static_cast<int64_t>(std::time(nullptr));
    entry.level = level;
    // Kept no longer than its line can show: a page title of millions of characters, logged
    // on every refresh, would otherwise grow the process without end.
    qsizetype keep = std::min(message.size(), qsizetype(kMaxLogLineLength));
    if (keep < message.size() && keep > 0 && message.at(keep - 1).isHighSurrogate())
        --keep;
    entry.message = message.left(keep);
    entry.line = BuildLogLine(entry.time, level, entry.message);
    std::lock_guard lock(store().mutex);
    auto& list = entries();
    list.push_back(std::move(entry));
    if (list.size() > static_cast<size_t>(kMaxLogEntries))
        list.pop_front();
}

void LogFormat(int level, const char* format, int value) {
    Log(QString::asprintf(format, value), level);
}

void LogFormat(int level, const char* format, int first, int second) {
    Log(QString::asprintf(format, first, second), level);
}

bool WriteLogFile(const QString& fileName) {
    std::lock_guard lock(store().mutex);
    QFile file(JoinPath(ProgramDirectory(), fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray bytes;
    for (const LogEntry& entry : entries()) {
        bytes += entry.line.toUtf8();
        bytes += '\n';
    }
    return file.write(bytes) == bytes.size() && file.flush();
}

QList<LogEntry> LogEntries() {
    std::lock_guard lock(store().mutex);
    return QList<LogEntry>(entries().begin(), entries().end());
}

QList<QString> LogLinesContaining(const QString& part) {
    std::lock_guard lock(store().mutex);
    QList<QString> lines;
    for (const LogEntry& entry : entries())
        if (entry.message.contains(part))
            lines.append(entry.line);
    return lines;
}

void ClearLog() {
    std::lock_guard lock(store().mutex);
    entries().clear();
}

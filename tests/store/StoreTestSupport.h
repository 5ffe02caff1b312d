#pragma once

#include "common/Log.h"

#include <QList>
#include <QString>

#include <ostream>

// Error-level log messages written since the last ClearLog.
inline QList<QString> ErrorMessages() {
    QList<QString> messages;
    for (const LogEntry& entry : LogEntries())
        if (entry.level == LogError)
            messages.append(entry.message);
    return messages;
}

// True when some error-level message starts with `prefix`.
inline bool LoggedErrorStartingWith(const QString& prefix) {
    for (const QString& message : ErrorMessages())
        if (message.startsWith(prefix))
            return true;
    return false;
}

// Readable QString values in test failure output.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

#include "common/ProcessTree.h"

#include <QDir>
#include <QFile>
#include <QString>

QList<QByteArray> ProcessStatFields(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

bool ProcessExists(qint64 pid) {
    const QList<QByteArray> fields = ProcessStatFields(pid);
    return !fields.isEmpty() && !fields[0].startsWith('Z');
}

QList<qint64> ChildProcesses(qint64 pid) {
    QList<qint64> children;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isNumber = false;
        const qint64 child = entry.toLongLong(&isNumber);
        if (!isNumber)
            continue;
        const QList<QByteArray> fields = ProcessStatFields(child);
        if (fields.size() > 1 && fields[1].toLongLong() == pid)
            children.append(child);
    }
    return children;
}

QList<qint64> DescendantProcesses(qint64 pid) {
    QList<qint64> found = ChildProcesses(pid);
    for (qsizetype i = 0; i < found.size(); ++i)
        found += ChildProcesses(found[i]);
    return found;
}

qint64 ProcessPssKb(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toLongLong();
    return 0;
}

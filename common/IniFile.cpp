#include "common/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

QStringList readLines(const QString& path, bool* exists) {
    QFile file(path);
    *exists = file.open(QIODevice::ReadOnly);
    if (!*exists)
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QLatin1Char('\r'));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section named by a "[name]" line, or a null string when the line is no header.
QString sectionOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool keyOf(const QString& line, QString* key, QString* value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return false;
    *key = line.left(eq).trimmed();
    if (value) {
        QString v = line.mid(eq + 1).trimmed();
        if (v.size() >= 2 && ((v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))) ||
                              (v.startsWith(QLatin1Char('\'')) && v.endsWith(QLatin1Char('\'')))))
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

bool IniFile::Find(const QString& section, const QString& key, QString* value) const {
    bool exists = false;
    const QStringList lines = readLines(path_, &exists);
    bool inSection = false;
    for (const QString& line : lines) {
        const QString header = sectionOf(line);
        if (!header.isNull()) {
            inSection = same(header, section);
            continue;
        }
        QString k;
        if (inSection && keyOf(line, &k, value) && same(k, key))
            return true;
    }
    return false;
}

int IniFile::ReadInt(const QString& section, const QString& key, int defaultValue) const {
    QString value;
    if (!Find(section, key, &value) || value.isEmpty())
        return defaultValue;
    qsizetype i = 0;
    bool negative = false;
    if (value[0] == QLatin1Char('-') || value[0] == QLatin1Char('+')) {
        negative = value[0] == QLatin1Char('-');
        ++i;
    }
    long long n = 0;
    for (; i < value.size() && value[i] >= QLatin1Char('0') && value[i] <= QLatin1Char('9'); ++i)
        n = std::min<long long>(n * 10 + (value[i].unicode() - '0'), 0x7fffffffLL);
    return static_cast<int>(negative ? -n : n);
}

QString IniFile::ReadText(const QString& section, const QString& key,
                          const QString& defaultValue) const {
    QString value;
    return Find(section, key, &value) ? value : defaultValue;
}

bool IniFile::WriteText(const QString& section, const QString& key, const QString& value) const {
    bool exists = false;
    QStringList lines = readLines(path_, &exists);
    const QString newLine = key + QLatin1Char('=') + value;
    qsizetype sectionEnd = -1; // index after the last line of the matching section
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QString header = sectionOf(lines[i]);
        if (!header.isNull()) {
            inSection = same(header, section);
            if (inSection)
                sectionEnd = i + 1;
            continue;
        }
        if (!inSection)
            continue;
        QString k;
        if (keyOf(lines[i], &k, nullptr) && same(k, key)) {
            lines[i] = newLine;
            written = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            sectionEnd = i + 1;
        }
    }
    if (!written) {
        if (sectionEnd < 0) {
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(newLine);
        } else {
            lines.insert(sectionEnd, newLine);
        }
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    return file.commit();
}

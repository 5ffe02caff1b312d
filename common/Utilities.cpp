#include "common/Utilities.h"

#include "common/ProgramDirectory.h"
#include "common/Settings.h"

#include <cstdio>
#include <ctime>

QString JoinPath(const QString& directory, const QString& name) {
    if (directory.endsWith(QLatin1Char('/')))
        return directory + name;
    return directory + QLatin1Char('/') + name;
}

QString FileNameOfPath(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return path;
    return path.mid(slash + 1);
}

QString PictureExtension(const QString& nameOrAddress) {
    const qsizetype dot = nameOrAddress.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return QStringLiteral("jpg");
    return nameOrAddress.mid(dot + 1);
}

bool IsAllDigits(const QString& text) {
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString ReplaceAll(const QString& text, const QString& search, const QString& replacement) {
    if (search.isEmpty())
        return text;
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(search, from);
        if (at < 0)
            break;
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + search.size();
    }
    result += QStringView(text).mid(from);
    return result;
}

QString TimeText(int64_t secondsSinceEpoch) {
    std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                             local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                             local.tm_sec);
}

int64_t ParseTimeText(const QString& text) {
    std::tm local{};
    const QByteArray bytes = text.toLatin1();
    if (std::sscanf(bytes.constData(), "%d-%d-%d %d:%d:%d", &local.tm_year, &local.tm_mon,
                    &local.tm_mday, &local.tm_hour, &local.tm_min, &local.tm_sec) != 6)
        return -1;
    local.tm_year -= 1900;
    local.tm_mon -= 1;
    local.tm_isdst = -1; // let the platform decide on daylight saving
    return static_cast<int64_t>(std::mktime(&local));
}

QByteArray Utf8OfText(const QString& text) {
    return text.toUtf8();
}

QString TrimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString RemoveForbiddenFileChars(const QString& text) {
    // Removing every one in a single pass gives the same text as rescanning from the start.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString result;
    result.reserve(text.size());
    for (QChar c : text)
        if (!forbidden.contains(c))
            result += c;
    return result;
}

QString PictureDirectory() {
    return JoinPath(ProgramDirectory(), QStringLiteral("Img"));
}

int ClassifyForumAddress(const QString& address) {
    const ForumHosts& hosts = Hosts();
    const QString lower = address.toLower();
    const QString http = QStringLiteral("http://");
    const struct {
        QString prefix;
        int forumClass;
    } prefixes[] = {
        {http + hosts.forumWww + QStringLiteral("/publicforum/"), 1},
        {http + hosts.forumWww + QStringLiteral("/new/publicforum/"), 1},
        {http + hosts.forumBare + QStringLiteral("/bbs/"), 2},
        {http + hosts.forumWww + QStringLiteral("/techforum/"), 3},
        {http + hosts.forumCity + QStringLiteral("/"), 3},
        {http + hosts.forumBbs + QStringLiteral("/"), 4},
    };
    for (const auto& p : prefixes)
        if (lower.startsWith(p.prefix.toLower()))
            return p.forumClass;
    return 0;
}

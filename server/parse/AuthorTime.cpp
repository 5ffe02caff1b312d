#include "server/parse/AuthorTime.h"

namespace {

qsizetype FirstSpace(const QString& text, qsizetype from) {
    for (qsizetype i = qMax<qsizetype>(from, 0); i < text.size(); ++i)
        if (text[i] == u' ' || text[i] == QChar(0x3000))
            return i;
    return -1;
}

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// The author's stretch from `start` to `end` (the text's end when there is no space); returns
// where the author ends.
qsizetype TakeAuthor(const QString& header, qsizetype start, qsizetype space, QString* author) {
    start = qMin(start, header.size());
    const qsizetype end = space < 0 ? header.size() : qMax(space, start);
    if (author)
        *author = header.mid(start, end - start);
    return end;
}

} // namespace

QString BuildTimeFromDigitGroups(const QString& text) {
    QString time;
    QString group;
    QChar separator = u' ';
    bool haveGroup = false;
    auto appendGroup = [&] {
        if (group.size() == 1)
            group.prepend(u'0');
        if (haveGroup)
            time += separator;
        time += group;
        haveGroup = true;
        group.clear();
    };
    for (QChar c : text) {
        if (IsAsciiDigit(c)) {
            group += c;
            continue;
        }
        if (!group.isEmpty())
            appendGroup();
        separator = (c == u'-' || c == u':') ? c : QChar(u' ');
    }
    if (!group.isEmpty())
        appendGroup();
    if (time.size() == 10)
        time += QLatin1String(" 00:00:00");
    return time;
}

bool ParseAuthorTime(const QString& header, QString* author, QString* time) {
    // A missing marker gives -1, so the author then starts at the third character.
    const qsizetype marker = header.indexOf(QStringLiteral("作者"));
    const qsizetype authorEnd = TakeAuthor(header, marker + 3, FirstSpace(header, 0), author);
    QString result;
    const qsizetype two = header.indexOf(u'2', authorEnd);
    if (two >= 0)
        result = BuildTimeFromDigitGroups(header.mid(two));
    if (time)
        *time = result;
    return result.size() == 19;
}

bool ParseAuthorTimeLayout4(const QString& header, QString* author, QString* time) {
    qsizetype marker = header.indexOf(QStringLiteral("作者"));
    if (marker < 0)
        marker = header.indexOf(QStringLiteral("楼主"));
    if (marker < 0)
        return false;
    const qsizetype start = marker + 3;
    const qsizetype authorEnd = TakeAuthor(header, start, FirstSpace(header, start), author);
    if (time)
        time->clear();
    const qsizetype two = header.indexOf(u'2', authorEnd);
    if (two < 0)
        return false;
    QString rest = header.mid(two);
    const qsizetype firstSpace = rest.indexOf(u' ');
    if (firstSpace >= 1) {
        const qsizetype secondSpace = rest.indexOf(u' ', firstSpace + 1);
        if (secondSpace >= 0)
            rest.truncate(secondSpace);
    }
    const QString result = BuildTimeFromDigitGroups(rest);
    if (time)
        *time = result;
    return result.size() == 19;
}

#include "store/SqlText.h"

QString EscapeSqlText(const QString& text) {
    if (!text.contains(QLatin1Char('\'')))
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return escaped;
}

QString FormatSql(const char* pattern, std::initializer_list<SqlArg> args) {
    const QString source = QString::fromUtf8(pattern);
    QString out;
    out.reserve(source.size() + 64);
    auto next = args.begin();
    for (qsizetype i = 0; i < source.size(); ++i) {
        const QChar c = source[i];
        if (c == QLatin1Char('%') && i + 1 < source.size() &&
            (source[i + 1] == QLatin1Char('d') || source[i + 1] == QLatin1Char('s'))) {
            const bool wantsText = source[i + 1] == QLatin1Char('s');
            ++i;
            if (next == args.end()) {
                Q_ASSERT_X(false, "FormatSql", "fewer values than placeholders");
                continue;
            }
            const SqlArg& arg = *next++;
            Q_ASSERT_X(arg.isText == wantsText, "FormatSql", "value kind does not match");
            // A value of the wrong kind still lands in its slot safely: text is escaped, and a
            // "%d" slot only ever receives digits.
            if (wantsText)
                out += EscapeSqlText(arg.isText ? arg.text : QString::number(arg.number));
            else
                out += QString::number(arg.isText ? arg.text.toInt() : arg.number);
            continue;
        }
        out += c;
    }
    Q_ASSERT_X(next == args.end(), "FormatSql", "more values than placeholders");
    return out;
}

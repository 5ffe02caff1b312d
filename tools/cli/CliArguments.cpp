#include "tools/cli/CliArguments.h"

#include "reader/model/ReadingTypes.h"

namespace {

// Screens or pages beyond any thread's size; keeps a typo from running for hours.
constexpr int kMaxCount = 1000000;

bool ParseNumber(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int n = text.toInt(&ok, 10);
    if (!ok || n < low || n > high)
        return false;
    value = n;
    return true;
}

class ArgumentReader {
public:
    explicit ArgumentReader(const QStringList& arguments) : arguments_(arguments) {}

    bool AtEnd() const { return next_ >= arguments_.size(); }
    QString Take() { return arguments_[next_++]; }
    // The value of option `name`; false when it is missing.
    bool TakeValue(const QString& name, QString& value, QString& error) {
        if (AtEnd()) {
            error = QStringLiteral("option %1 needs a value").arg(name);
            return false;
        }
        value = Take();
        return true;
    }
    bool TakeNumber(const QString& name, int low, int high, int& value, QString& error) {
        QString text;
        if (!TakeValue(name, text, error))
            return false;
        if (!ParseNumber(text, low, high, value)) {
            error = QStringLiteral("option %1 needs a number from %2 to %3, not \"%4\"")
                        .arg(name)
                        .arg(low)
                        .arg(high)
                        .arg(text);
            return false;
        }
        return true;
    }

private:
    const QStringList& arguments_;
    qsizetype next_ = 0;
};

bool ParseFollow(const QString& text, int& follow, QString& error) {
    if (!ParseNumber(text, 1, std::numeric_limits<int>::max(), follow)) {
        error = QStringLiteral("not a follow number: \"%1\"").arg(text);
        return false;
    }
    return true;
}

} // namespace

QString CliUsage() {
    return QStringLiteral(
        "usage: quillmere-cli [--home DIR] [--json] COMMAND\n"
        "  list\n"
        "  read N [--mode 0-5] [--first | --latest | --page P] [--next K | --previous K]\n"
        "  search WORDS... [--thread N] [--author NAME]\n"
        "  export txt|html|epub|pictures N [--first A] [--last B] [--people] --out DIR\n"
        "exit codes: 0 done, 1 nothing found, 2 bad arguments or unreadable home\n");
}

bool ParseCliArguments(const QStringList& arguments, CliArguments& parsed, QString& error) {
    parsed = CliArguments{};
    // Global options first, wherever they stand; the rest keeps its order.
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--json")) {
            parsed.json = true;
        } else if (a == QLatin1String("--home")) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                error = QStringLiteral("option --home needs a folder");
                return false;
            }
            parsed.home = arguments[++i];
        } else if (a.startsWith(QLatin1String("--home="))) {
            parsed.home = a.mid(7);
            if (parsed.home.isEmpty()) {
                error = QStringLiteral("option --home needs a folder");
                return false;
            }
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            parsed.command = QStringLiteral("help");
            return true;
        } else {
            rest.append(a);
        }
    }
    if (rest.isEmpty()) {
        error = QStringLiteral("no command given (list, read, search or export)");
        return false;
    }
    ArgumentReader in(rest);
    parsed.command = in.Take();
    const QString& command = parsed.command;
    QStringList positional;
    bool firstChosen = false;
    bool furtherChosen = false;
    bool outGiven = false;
    auto chooseFirst = [&](int op, const QString& name) {
        if (firstChosen) {
            error = QStringLiteral("only one of --first, --latest and --page may be given");
            return false;
        }
        firstChosen = true;
        parsed.firstOp = op;
        Q_UNUSED(name);
        return true;
    };
    while (!in.AtEnd()) {
        const QString a = in.Take();
        bool ok = true;
        if (!a.startsWith(QLatin1String("--")) || a == QLatin1String("--")) {
            positional.append(a);
        } else if (command == QLatin1String("read") && a == QLatin1String("--mode")) {
            ok = in.TakeNumber(a, OnlyStarter, OnlyWords, parsed.mode, error);
        } else if (command == QLatin1String("read") && a == QLatin1String("--first")) {
            ok = chooseFirst(OpFirst, a);
        } else if (command == QLatin1String("read") && a == QLatin1String("--latest")) {
            ok = chooseFirst(OpLatest, a);
        } else if (command == QLatin1String("read") && a == QLatin1String("--page")) {
            ok = chooseFirst(OpGotoPage, a) && in.TakeNumber(a, 1, kMaxCount, parsed.page, error);
        } else if (command == QLatin1String("read") &&
                   (a == QLatin1String("--next") || a == QLatin1String("--previous"))) {
            if (furtherChosen) {
                error = QStringLiteral("only one of --next and --previous may be given");
                return false;
            }
            furtherChosen = true;
            parsed.furtherOp = a == QLatin1String("--next") ? OpNext : OpPrevious;
            ok = in.TakeNumber(a, 0, kMaxCount, parsed.furtherScreens, error);
        } else if (command == QLatin1String("search") && a == QLatin1String("--thread")) {
            QString text;
            ok = in.TakeValue(a, text, error) && ParseFollow(text, parsed.thread, error);
        } else if (command == QLatin1String("search") && a == QLatin1String("--author")) {
            ok = in.TakeValue(a, parsed.author, error);
            if (ok && parsed.author.isEmpty()) {
                error = QStringLiteral("option --author needs a name");
                return false;
            }
        } else if (command == QLatin1String("export") && a == QLatin1String("--first")) {
            ok = in.TakeNumber(a, 1, kMaxCount, parsed.firstPage, error);
        } else if (command == QLatin1String("export") && a == QLatin1String("--last")) {
            ok = in.TakeNumber(a, 1, kMaxCount, parsed.lastPage, error);
        } else if (command == QLatin1String("export") && a == QLatin1String("--people")) {
            parsed.people = true;
        } else if (command == QLatin1String("export") && a == QLatin1String("--out")) {
            ok = in.TakeValue(a, parsed.out, error);
            outGiven = true;
        } else {
            error = QStringLiteral("unknown option %1 for %2").arg(a, command);
            return false;
        }
        if (!ok)
            return false;
    }

    if (command == QLatin1String("list")) {
        if (!positional.isEmpty()) {
            error = QStringLiteral("list takes no arguments");
            return false;
        }
        return true;
    }
    if (command == QLatin1String("read")) {
        if (positional.size() != 1) {
            error = QStringLiteral("read needs one follow number");
            return false;
        }
        return ParseFollow(positional.first(), parsed.follow, error);
    }
    if (command == QLatin1String("search")) {
        parsed.words = positional.join(QLatin1Char(' ')).trimmed();
        if (parsed.words.isEmpty()) {
            error = QStringLiteral("search needs words to find");
            return false;
        }
        return true;
    }
    if (command == QLatin1String("export")) {
        if (positional.size() != 2) {
            error = QStringLiteral("export needs a kind (txt, html, epub, pictures) and a follow "
                                   "number");
            return false;
        }
        parsed.exportKind = positional[0];
        if (!QStringList{QStringLiteral("txt"), QStringLiteral("html"), QStringLiteral("epub"),
                         QStringLiteral("pictures")}
                 .contains(parsed.exportKind)) {
            error = QStringLiteral("unknown export kind \"%1\" (txt, html, epub, pictures)")
                        .arg(parsed.exportKind);
            return false;
        }
        if (!ParseFollow(positional[1], parsed.follow, error))
            return false;
        if (!outGiven || parsed.out.isEmpty()) {
            error = QStringLiteral("export needs --out DIR");
            return false;
        }
        if (parsed.firstPage > parsed.lastPage) {
            error = QStringLiteral("the first page comes after the last");
            return false;
        }
        return true;
    }
    error = QStringLiteral("unknown command \"%1\" (list, read, search or export)").arg(command);
    return false;
}

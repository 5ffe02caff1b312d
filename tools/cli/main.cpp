// quillmere-cli: the followed threads of a home for scripts and terminals (see CliArguments.h).
#include "tools/cli/CliArguments.h"
#include "tools/cli/CliCommands.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
    // A file size limit makes an export fail instead of ending the tool without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    QTextStream out(stdout);
    QString error;
    CliArguments parsed;
    int code = CliFailed;
    if (ParseCliArguments(arguments, parsed, error))
        code = RunCliCommand(parsed, out, error);
    out.flush();
    if (code != CliDone && !error.isEmpty()) {
        // One line, whatever the names and words in it hold.
        error.replace(QLatin1Char('\n'), QLatin1Char(' '))
            .replace(QLatin1Char('\r'), QLatin1Char(' '));
        std::fprintf(stderr, "quillmere-cli: %s\n", error.toLocal8Bit().constData());
    }
    return code;
}

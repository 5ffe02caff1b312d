#pragma once

#include <QString>
#include <QStringList>

// The command line of quillmere-cli, checked:
//   quillmere-cli [--home DIR] [--json] COMMAND ...
//   list
//   read N [--mode 0-5] [--first | --latest | --page P] [--next K | --previous K]
//   search WORDS... [--thread N] [--author NAME]
//   export txt|html|epub|pictures N [--first A] [--last B] [--people] --out DIR
// --home and --json may stand anywhere.
struct CliArguments {
    QString command; // "list", "read", "search", "export" or "help"
    QString home;    // empty: $QUILLMERE_HOME, else the default home
    bool json = false;

    int follow = 0; // read, export

    // read
    int mode = -1;     // -1: the thread's saved mode (or the opening rule)
    int firstOp = 3;   // OpOpen, OpFirst, OpLatest or OpGotoPage
    int page = 0;      // with OpGotoPage
    int furtherOp = 0; // 0, OpNext or OpPrevious
    int furtherScreens = 0;

    // search
    QString words;
    int thread = 0;
    QString author;

    // export
    QString exportKind; // "txt", "html", "epub" or "pictures"
    int firstPage = 1;
    int lastPage = 10000; // as the range dialog proposes
    bool people = false;  // the thread's chosen people instead of the starter
    QString out;
};

// The usage text.
QString CliUsage();

// False with a one-line reason in `error` when the arguments are not a valid command.
bool ParseCliArguments(const QStringList& arguments, CliArguments& parsed, QString& error);

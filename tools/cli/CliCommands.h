#pragma once

#include "tools/cli/CliArguments.h"

#include <QString>
#include <QTextStream>

// Exit codes of quillmere-cli.
enum CliExit : int { CliDone = 0, CliNothingFound = 1, CliFailed = 2 };

// Runs a checked command on its home: results go to `out`; when it fails or finds nothing,
// `error` receives one line for standard error. Returns the exit code. The home must exist
// and hold a catalogue; nothing is created in it, and `read` changes nothing in it.
int RunCliCommand(const CliArguments& arguments, QTextStream& out, QString& error);

#pragma once

#include <QString>

// The home: every file the programs keep lives here. It ends in "/".
// Chosen once at start by InitProgramDirectory: `--home DIR`, else $QUILLMERE_HOME,
// else $XDG_DATA_HOME/Quillmere (default ~/.local/share/Quillmere).
QString ProgramDirectory();

// The home the command line and the environment name (`--home DIR` or `--home=DIR`, else
// $QUILLMERE_HOME, else the default), absolute, without creating it.
QString HomeFromArguments(int argc, char** argv);

// Picks the home from the command line and the environment and creates it.
// Returns false when the folder cannot be created.
bool InitProgramDirectory(int argc, char** argv);

// Sets the home directly (tests, tools). Creates the folder.
bool SetProgramDirectory(const QString& directory);

// The folder of the running executable, ending in "/"; siblings such as the server live here.
QString ExecutableDirectory();

// A program delivered with this one (the server, the crash notice, the updater): beside the
// executable in a build tree, else in the install's helper folder (`libexec/quillmere`).
QString HelperProgramPath(const QString& name);

// A file delivered with the programs (Show.html, ForumData.db, UpdateSoft.ini): the install's
// copy in its data folder (`share/quillmere`) when there is one, else `resource`, the copy built
// into the program.
QString DeliveredFilePath(const QString& name, const QString& resource);

// `<home>/lock/`, where the lock files of the database files live.
QString LockDirectory();

// Copies the files delivered with the program (Show.html) into the home when missing.
void EnsureDeliveredFiles();

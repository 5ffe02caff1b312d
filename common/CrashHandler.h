#pragma once

#include <QString>

// Last-chance crash hook for both programs. Installed first thing in main: on SIGSEGV,
// SIGBUS, SIGILL, SIGFPE or SIGABRT it writes a dump file into the home (the signal, the
// faulting address, a backtrace and the memory map), starts a small detached process that
// tells the user which file to send where, and lets the process die of the signal.
// The dump's name is fixed at installation: "515_%04d-%02d-%02d_%02d-%02d-%02d.dmp".
// A watcher puts the handlers back if a library replaces them.
void InstallCrashHandler();

// Stops the watcher; called at normal exit.
void ReleaseCrashHandlerLock();

// The dump file path chosen at installation (empty before).
QString CrashDumpPath();

// The dump file name for a local time value.
QString CrashDumpFileName(int64_t secondsSinceEpoch);

// Checks the handlers now and puts back any that was replaced; true when all were in place.
bool EnsureCrashHandlers();

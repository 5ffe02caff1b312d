#pragma once

#include <QString>

#include <condition_variable>
#include <mutex>
#include <thread>

// Last-chance crash hook for both programs. Installed first thing in main: on SIGSEGV,
// SIGBUS, SIGILL, SIGFPE or SIGABRT it writes a dump file into the home (the signal, the
// faulting address, a backtrace and the memory map), starts a small detached process that
// tells the user which file to send where, and lets the process die of the signal.
// The dump's name is fixed at installation: "515_%04d-%02d-%02d_%02d-%02d-%02d.dmp".
void InstallCrashHandler();

// Puts the handlers back every half second if a library replaced them. Held by the program's
// owner, which ends it with itself.
class CrashHandlerWatch {
public:
    CrashHandlerWatch();
    ~CrashHandlerWatch();
    CrashHandlerWatch(const CrashHandlerWatch&) = delete;
    CrashHandlerWatch& operator=(const CrashHandlerWatch&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool ending_ = false;
    std::thread thread_;
};

// The dump file path chosen at installation (empty before).
QString CrashDumpPath();

// The dump file name for a local time value.
QString CrashDumpFileName(int64_t secondsSinceEpoch);

// Checks the handlers now and puts back any that was replaced; true when all were in place.
bool EnsureCrashHandlers();

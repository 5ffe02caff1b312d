#include "common/CrashHandler.h"

#include "common/ProgramDirectory.h"
#include "common/Settings.h"

#include <QFile>

#include <atomic>
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

// Everything the handler needs is prepared at installation: it may only make
// async-signal-safe calls.
char dumpPath[4096];
char noticeProgram[4096];
char noticeArg1[4096];
char noticeArg2[1024];
QString dumpPathText;
std::atomic<bool> installed{false};
std::atomic<int> inHandler{0};

void writeText(int fd, const char* text) {
    size_t length = std::strlen(text);
    while (length > 0) {
        const ssize_t n = ::write(fd, text, length);
        if (n <= 0)
            return;
        text += n;
        length -= static_cast<size_t>(n);
    }
}

// Decimal or hex text without the C library's formatting, which is not signal-safe.
void writeNumber(int fd, unsigned long long value, int base) {
    char buffer[32];
    int i = sizeof buffer - 1;
    buffer[i] = '\0';
    do {
        const int digit = static_cast<int>(value % static_cast<unsigned>(base));
        buffer[--i] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= static_cast<unsigned>(base);
    } while (value > 0 && i > 0);
    if (base == 16)
        writeText(fd, "0x");
    writeText(fd, buffer + i);
}

void copyFile(int fd, const char* path) {
    const int in = ::open(path, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(in, buffer, sizeof buffer)) > 0)
        if (::write(fd, buffer, static_cast<size_t>(n)) != n)
            break;
    ::close(in);
}

const char* signalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

bool writeDump(int signal, siginfo_t* info) {
    const int fd = ::open(dumpPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    writeText(fd, "Quillmere crash report\nsignal: ");
    writeNumber(fd, static_cast<unsigned>(signal), 10);
    writeText(fd, " ");
    writeText(fd, signalName(signal));
    writeText(fd, "\naddress: ");
    writeNumber(fd, reinterpret_cast<uintptr_t>(info ? info->si_addr : nullptr), 16);
    writeText(fd, "\npid: ");
    writeNumber(fd, static_cast<unsigned>(::getpid()), 10);
    writeText(fd, "\n\nbacktrace:\n");
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);
    writeText(fd, "\nmemory map:\n");
    copyFile(fd, "/proc/self/maps");
    ::close(fd);
    return true;
}

void showNotice() {
    if (noticeProgram[0] == '\0')
        return;
    const pid_t child = ::fork();
    if (child == 0) {
        // Detach from the dying process so the notice outlives it.
        ::setsid();
        char* const argv[] = {noticeProgram, noticeArg1, noticeArg2, nullptr};
        ::execve(noticeProgram, argv, environ);
        ::_exit(127);
    }
}

void crashFilter(int signal, siginfo_t* info, void*) {
    // A second fault while reporting the first goes straight to the default action.
    if (inHandler.fetch_add(1) == 0 && writeDump(signal, info))
        showNotice();
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal);
}

void installHandler(int signal) {
    struct sigaction action {};
    action.sa_sigaction = crashFilter;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

void copyInto(char* target, size_t size, const QByteArray& bytes) {
    const size_t n = std::min(size - 1, static_cast<size_t>(bytes.size()));
    std::memcpy(target, bytes.constData(), n);
    target[n] = '\0';
}

} // namespace

QString CrashDumpFileName(int64_t secondsSinceEpoch) {
    std::time_t t = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    localtime_r(&t, &local);
    return QStringLiteral("515") + QString::asprintf("_%04d-%02d-%02d_%02d-%02d-%02d.dmp",
                                                     local.tm_year + 1900, local.tm_mon + 1,
                                                     local.tm_mday, local.tm_hour, local.tm_min,
                                                     local.tm_sec);
}

QString CrashDumpPath() {
    return dumpPathText;
}

bool EnsureCrashHandlers() {
    bool allInPlace = true;
    for (int signal : kSignals) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        if (!(current.sa_flags & SA_SIGINFO) || current.sa_sigaction != crashFilter) {
            installHandler(signal);
            allInPlace = false;
        }
    }
    return allInPlace;
}

void InstallCrashHandler() {
    if (installed.exchange(true))
        return;
    dumpPathText = ProgramDirectory() + CrashDumpFileName(static_cast<int64_t>(std::time(nullptr)));
    copyInto(dumpPath, sizeof dumpPath, QFile::encodeName(dumpPathText));

    QString notice = qEnvironmentVariable("QUILLMERE_CRASH_NOTICE");
    if (notice.isEmpty())
        notice = HelperProgramPath(QStringLiteral("QuillmereCrashNotice"));
    copyInto(noticeProgram, sizeof noticeProgram, QFile::encodeName(notice));
    copyInto(noticeArg1, sizeof noticeArg1, dumpPathText.toUtf8());
    copyInto(noticeArg2, sizeof noticeArg2, Hosts().supportMail.toUtf8());

    // backtrace() loads its unwinder on first use; do that now, not inside the handler.
    void* frames[2];
    ::backtrace(frames, 2);

    // An alternate stack so a stack overflow can still be reported.
    static char alternateStack[64 * 1024];
    stack_t stack{};
    stack.ss_sp = alternateStack;
    stack.ss_size = sizeof alternateStack;
    ::sigaltstack(&stack, nullptr);

    for (int signal : kSignals)
        installHandler(signal);
}

CrashHandlerWatch::CrashHandlerWatch() {
    thread_ = std::thread([this] {
        std::unique_lock lock(mutex_);
        while (!ending_) {
            lock.unlock();
            EnsureCrashHandlers();
            lock.lock();
            wake_.wait_for(lock, std::chrono::milliseconds(500), [this] { return ending_; });
        }
    });
}

CrashHandlerWatch::~CrashHandlerWatch() {
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

// Crashes on purpose after installing the crash hook, optionally after another handler has
// taken SIGSEGV over the way a library might.
#include "common/CrashHandler.h"
#include "common/ProgramStart.h"

#include <csignal>
#include <cstring>
#include <thread>

namespace {
void foreignHandler(int) {
    std::_Exit(42);
}
} // namespace

int main(int argc, char** argv) {
    if (!BeginProgram(argc, argv))
        return 1;
    CrashHandlerWatch watch;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--replace-handler") == 0) {
            std::signal(SIGSEGV, foreignHandler);
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
    }
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}

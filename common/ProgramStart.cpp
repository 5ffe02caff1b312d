#include "common/ProgramStart.h"

#include "common/CrashHandler.h"
#include "common/ProgramDirectory.h"

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

bool BeginProgram(int argc, char** argv) {
    if (!InitProgramDirectory(argc, argv)) {
        std::fprintf(stderr, "Cannot create the home folder\n");
        return false;
    }
    InstallCrashHandler();
    RaiseDescriptorLimit();
    // A file that may not grow (a size limit) fails the write, as a full disk does; the
    // program copes with that and must not be killed for it.
    std::signal(SIGXFSZ, SIG_IGN);
    return true;
}

#include "common/ProgramStart.h"

#include "common/CrashHandler.h"
#include "common/ProgramDirectory.h"

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
    return true;
}

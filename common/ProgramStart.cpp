#include "common/ProgramStart.h"

#include "common/CrashHandler.h"
#include "common/ProgramDirectory.h"

#include <cstdio>

bool BeginProgram(int argc, char** argv) {
    if (!InitProgramDirectory(argc, argv)) {
        std::fprintf(stderr, "Cannot create the home folder\n");
        return false;
    }
    InstallCrashHandler();
    return true;
}

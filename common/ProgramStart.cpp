#include "ProgramStart.h"

#include "CrashHandler.h"
#include "ProgramDirectory.h"

#include <cstdio>

bool BeginProgram(int argc, char** argv)
{
    if (!InitProgramDirectory(argc, argv)) {
        std::fprintf(stderr, "Cannot create the home folder\n");
        return false;
    }
    InstallCrashHandler();
    return true;
}

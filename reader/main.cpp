#include "common/AllocatorTuning.h"
#include "common/ProgramStart.h"
#include "reader/CQuillmereApp.h"
#include "reader/ReaderRuntime.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    // Outlives everything the program starts and goes before any static.
    ReaderRuntime runtime;
    CQuillmereApp reader;
    return reader.Run(argc, argv);
}

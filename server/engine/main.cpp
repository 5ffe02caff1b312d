#include "common/AllocatorTuning.h"
#include "common/ProgramStart.h"
#include "server/engine/CQuillmereServerApp.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    // Outlives everything the program starts and goes before any static.
    ServerRuntime runtime;
    CQuillmereServerApp server(runtime);
    return server.Run(argc, argv);
}

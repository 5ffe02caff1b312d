#include "common/AllocatorTuning.h"
#include "common/ProgramStart.h"
#include "server/engine/CQuillmereServerApp.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    CQuillmereServerApp server;
    return server.Run(argc, argv);
}

#include "AllocatorTuning.h"
#include "CQuillmereServerApp.h"
#include "ProgramStart.h"

int main(int argc, char** argv)
{
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    CQuillmereServerApp server;
    return server.Run(argc, argv);
}

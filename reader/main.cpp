#include "AllocatorTuning.h"
#include "CQuillmereApp.h"
#include "ProgramStart.h"

int main(int argc, char** argv)
{
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    CQuillmereApp reader;
    return reader.Run(argc, argv);
}

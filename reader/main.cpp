#include "common/AllocatorTuning.h"
#include "common/ProgramStart.h"
#include "reader/CQuillmereApp.h"

int main(int argc, char** argv) {
    KeepFreedMemoryForReuse();
    if (!BeginProgram(argc, argv))
        return 1;
    CQuillmereApp reader;
    return reader.Run(argc, argv);
}

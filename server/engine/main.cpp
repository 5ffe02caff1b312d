#include "CQuillmereServerApp.h"
#include "ProgramStart.h"

int main(int argc, char** argv)
{
    if (!BeginProgram(argc, argv))
        return 1;
    CQuillmereServerApp server;
    return server.Run(argc, argv);
}

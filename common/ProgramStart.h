#pragma once

#include <QString>

// The first steps of both programs' main: choose the home, install the crash hook.
// Returns false when the home cannot be created.
bool BeginProgram(int argc, char** argv);

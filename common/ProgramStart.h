#pragma once

#include <QString>

// The first steps of both programs' main: choose the home, install the crash hook.
// Returns false when the home cannot be created.
bool BeginProgram(int argc, char** argv);

// Raises the soft limit of open descriptors to the hard limit: the common soft limit of
// 1,024 is soon reached by a flood of connections on the channel.
void RaiseDescriptorLimit();

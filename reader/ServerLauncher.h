#pragma once

#include <QString>

// Starts the fetch server beside the reader's executable, with the reader's home.
class ServerLauncher {
public:
    // The server program's path.
    static QString ServerPath();
    // Starts it detached; false when it could not be started.
    static bool Start();
};

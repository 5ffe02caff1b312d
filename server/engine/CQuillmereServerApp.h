#pragma once

#include "server/engine/CommandDispatcher.h"

#include <atomic>

// The server program: single instance, the dispatch table, the hidden main window, and the
// orderly end (threads stopped, lock released).
class CQuillmereServerApp {
public:
    // Runs the server until its main window ends; the process exit code.
    int Run(int argc, char** argv);

    CommandDispatcher& Dispatcher() { return dispatcher_; }

private:
    void FillDispatchTable();

    CommandDispatcher dispatcher_;
};

// Set when the reader's login dialog closes without a login; read by the navigating loader.
std::atomic<int>& LoginCancelFlag();
// The picture module switch read at start (ModuleValid/GetImg, default 1).
bool PictureModuleOn();

#pragma once

#include "server/engine/CommandDispatcher.h"
#include "server/engine/ServerRuntime.h"

// The server program: single instance, the dispatch table, the hidden main window, and the
// orderly end (threads stopped, lock released). Its workers belong to the runtime that main
// holds.
class CQuillmereServerApp {
public:
    explicit CQuillmereServerApp(ServerRuntime& runtime) : runtime_(runtime) {}

    // Runs the server until its main window ends; the process exit code.
    int Run(int argc, char** argv);

    CommandDispatcher& Dispatcher() { return dispatcher_; }

private:
    void FillDispatchTable();

    ServerRuntime& runtime_;
    CommandDispatcher dispatcher_;
};

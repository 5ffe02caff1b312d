#pragma once

#include "common/CommandChannel.h"
#include "common/CrashHandler.h"
#include "common/ProcessInstance.h"
#include "common/ThreadRegistry.h"
#include "search/SearchIndexer.h"
#include "server/engine/EngineState.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/web/NavigatingLoader.h"

#include <optional>

// How the server's workers are started; tests shorten the waits.
struct ServerRuntimeOptions {
    bool picturesOn = true;  // the picture module switch read from the settings
    int fetchPauseMs = 1000; // between the page loaders and the navigating loader
    int versionTries = 30;   // seconds the start-up thread waits for the version check
    int guardIntervalMs = 300000;
    bool navigatingLoader = true; // needs the application object and its GUI thread
    NavigatingLoaderOptions navigation;
};

// The server's owner of everything its threads share: the thread registry, the channel, the
// fetch queues and the workflows' state. Created in main before anything starts and
// destroyed before any static: it starts every worker, and stops and joins them at the end,
// so no thread is left waiting on an object that is gone.
class ServerRuntime {
public:
    ServerRuntime();
    // Stops and joins whatever still runs; when a worker outlasts the bound, ends the process
    // at once instead of destroying what it uses.
    ~ServerRuntime();
    ServerRuntime(const ServerRuntime&) = delete;
    ServerRuntime& operator=(const ServerRuntime&) = delete;

    ThreadRegistry& Threads() { return threads_; }
    CommandChannel& Channel() { return channel_; }
    FetchQueues& Queues() { return queues_; }
    EngineState& Engine() { return engine_; }

    // Starts the fetch threads, queues the version check and starts the start-up thread
    // (which starts the refresh guard).
    void Start(const ServerRuntimeOptions& options);

    // Sets the stop flag, wakes every waiter and waits up to `timeoutMs` for the workers.
    // True when all ended and were joined; false leaves threads running that still use this
    // object, so the program then ends without destroying it. Only the first call waits.
    bool Stop(int timeoutMs = 15000);

private:
    CrashHandlerWatch crashWatch_;
    CommandChannel channel_;
    ProcessInstance<CommandChannel> channelInstance_{channel_};
    FetchQueues queues_;
    EngineState engine_;
    // Indexes stored pages for the search; outlives every thread that stores pages.
    SearchIndexer searchIndexer_;
    // Last, so it goes first: its threads use everything above.
    ThreadRegistry threads_;
    std::optional<bool> stopped_;
};

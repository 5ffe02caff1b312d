#pragma once

#include "server/engine/FollowedThreads.h"
#include "server/engine/VersionCheck.h"
#include "server/engine/WalkTracker.h"

#include <atomic>
#include <mutex>

// What the server's workflows share across threads: the follow list, the walks in flight,
// the version check's state, the login-cancel flag, the follow lock and the picture module
// switch. The
// server's owner holds one; while it lives, the workflows reach it through Current().
class EngineState {
public:
    EngineState();
    ~EngineState();
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    // The state of the running server; there is always one while workflows run.
    static EngineState& Current();

    FollowedThreads follows;
    WalkTracker walks;
    std::atomic<int> versionState{VersionPending};
    // Set when the reader's login dialog closes without a login; read by the navigating loader.
    std::atomic<int> loginCancel{0};
    // Held by a follow from its "already followed" check to its catalogue insert.
    std::mutex followLock;
    // The picture module switch (ModuleValid/GetImg), handed in by the owner at start.
    std::atomic<bool> picturesOn{true};

private:
    EngineState* previous_ = nullptr;
};

#include "server/engine/VersionCheck.h"

#include "common/ThreadRegistry.h"
#include "server/engine/EngineState.h"

#include <thread>

std::atomic<int>& ServerVersionState() {
    return EngineState::Current().versionState;
}

bool WaitForVersionCheck(int tries, int intervalMs) {
    for (int i = 0; i < tries; ++i) {
        // Sleeps in short steps so a stop never waits for the whole second.
        for (int waited = 0; waited < intervalMs && !StopRequested(); waited += 50)
            std::this_thread::sleep_for(
                std::chrono::milliseconds(std::min(50, intervalMs - waited)));
        if (StopRequested())
            return false;
        const int state = ServerVersionState().load();
        if (state == VersionMandatory)
            return false;
        if (state == VersionDone)
            return true;
    }
    return true;
}

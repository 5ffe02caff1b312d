#include "server/engine/ServerRuntime.h"

#include "server/engine/LoginReply.h"
#include "server/engine/PictureDownloads.h"
#include "server/engine/StartupRefresh.h"
#include "server/fetch/FetchThreads.h"

#include <cstdio>
#include <cstdlib>

ServerRuntime::ServerRuntime() {
    // Queue waiters look at the stop flag only now and then; wake them at once.
    threads_.AddStopListener([this] {
        queues_.direct.WakeAll();
        queues_.navigation.WakeAll();
        queues_.loaded.WakeAll();
    });
}

ServerRuntime::~ServerRuntime() {
    if (!Stop()) {
        // A worker still runs on these objects (a database wait, a stuck download): the
        // program ends now without destroying what it uses; the system takes back its locks.
        std::fflush(nullptr);
        std::_Exit(0);
    }
}

void ServerRuntime::Start(const ServerRuntimeOptions& options) {
    engine_.picturesOn = options.picturesOn;
    queues_.SetPictureStore(PictureDownloaded);
    NavigatingLoaderOptions navigation = options.navigation;
    if (!navigation.loginCancelFlag)
        navigation.loginCancelFlag = &engine_.loginCancel;
    StartFetchThreads(
        threads_,
        [this, navigation, on = options.navigatingLoader] {
            if (on)
                StartNavigatingLoaderThread(threads_, navigation);
        },
        options.fetchPauseMs);
    QueueVersionCheck();
    StartBeginRenovateTianya(threads_, options.versionTries, options.guardIntervalMs);
}

bool ServerRuntime::Stop(int timeoutMs) {
    if (!stopped_)
        stopped_ = threads_.StopAll(timeoutMs);
    return *stopped_;
}

#include "server/fetch/FetchThreads.h"

#include "server/fetch/DirectFetcher.h"
#include "server/fetch/PageLoader.h"

#include <chrono>
#include <thread>

void StartFetchThreads(ThreadRegistry& threads, const std::function<void()>& startNavigatingLoader,
                       int pauseMs, int pageLoaders, int directFetchers) {
    for (int i = 0; i < pageLoaders; ++i)
        StartPageLoaderThread(threads);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    if (startNavigatingLoader)
        startNavigatingLoader();
    for (int i = 0; i < directFetchers; ++i)
        StartDirectFetchThread(threads);
}

#pragma once

#include "common/ThreadRegistry.h"

#include <functional>

inline constexpr int kPageLoaderThreads = 4;
inline constexpr int kDirectFetchThreads = 7;

// Starts the fetch machinery in its order: the page loaders, a pause of `pauseMs`, the
// navigating loader (started by the caller's function, which lives with the web engine),
// then the direct fetch threads.
void StartFetchThreads(ThreadRegistry& threads, const std::function<void()>& startNavigatingLoader,
                       int pauseMs = 1000, int pageLoaders = kPageLoaderThreads,
                       int directFetchers = kDirectFetchThreads);

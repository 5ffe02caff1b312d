#pragma once

#include "common/ThreadRegistry.h"
#include "server/fetch/HttpFetcher.h"
#include "server/fetch/WebpageInfo.h"

#include <vector>

// Limits the direct fetch threads use for each attempt (tests shorten them).
void SetDirectFetchLimits(const FetchLimits& limits);
FetchLimits DirectFetchLimits();

// The longest a direct fetch thread waits for work before it looks at the stop flag again.
inline constexpr int kDirectFetchIdleMs = 1000;

// Downloads one request with up to two attempts and hands the result to its OnDownloaded.
// A failed picture still reaches its handler, with no body, so the attempt is recorded.
void ProcessDirectRequest(WebpageInfo& request, std::vector<char>& workBuffer);

// The body of a direct fetch thread: takes requests until the stop flag is set.
void RunDirectFetchThread();
bool StartDirectFetchThread(ThreadRegistry& threads);

#pragma once

#include "common/ThreadRegistry.h"
#include "server/fetch/PageTask.h"
#include "server/parse/ParsedPageInfo.h"

struct WebpageInfo;

// Every page of a followed thread reaches WalkPage: it stores the page, tells the reader,
// and queues the next pages by the request's task type.
void WalkPage(WebpageInfo& request, bool& busy, bool timedOut);

// Stores a parsed page with its posts and, when the picture module is on, its pictures, and
// queues the new pictures.
bool StorePage(const WebpageInfo& request, const ParsedPageInfo& info, bool picturesOn);

// Reads the catalogue into the server's follow list.
bool LoadFollowedThreads();
// Queues the newest stored page of every follow (type 1).
void RefreshAllOnStart();
// The reader's CDTRefresh: the newest stored page of one follow, at the front (type 13).
void RefreshOne(int focusPageNo);
// After a follow was stored: reloads the list and starts its walk from the first page.
void StartNewFollow(const WebpageInfo& request);
// The refresh guard thread: every five minutes (or when woken) refreshes every follow.
// Started on the registry, which wakes it at a stop.
bool StartRenovateGuardThread(ThreadRegistry& threads, int intervalMs = 300000);
// One guard pass: the newest stored page of every follow at the front (type 5).
void QueueGuardPass();

// Runs the gap filler for the request's thread; true when it queued a walk.
bool FillGaps(const WebpageInfo& request);

// Queues a page of a followed thread for WalkPage, counted as in flight for its thread until
// it has been walked or lost.
void QueueWalk(const QString& address, const PageTask& task, bool atFront = false);

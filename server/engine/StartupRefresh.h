#pragma once

#include "common/ThreadRegistry.h"

// The start-up thread (`BeginRenovateTianya`): waits for the version check, fetches the
// recommendations and discount pages, refreshes every follow and starts the refresh guard.
// `versionTries` and `guardIntervalMs` are shortened by tests.
bool StartBeginRenovateTianya(ThreadRegistry& threads, int versionTries = 30,
                              int guardIntervalMs = 300000);

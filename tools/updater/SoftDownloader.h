#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

// The limits of one download: the fetch server's time-outs and a size bound of the updater's.
struct DownloadLimits {
    int connectTimeoutMs = 10000;
    int receiveStallMs = 10000; // under one byte per second for this long ends the attempt
    int64_t maxBytes = 0;
};

enum class DownloadOutcome { Saved, Failed, TooLarge, NotAFile, Cancelled };

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Failed;
    QString detail; // for the log
    int64_t bytes = 0;
};

// Progress of one download: bytes received and the total (0 while unknown).
using DownloadProgress = std::function<void(int64_t received, int64_t total)>;

// One HTTP(S) GET of `address` into `target`. The file appears (replacing an earlier one) only
// when the whole body arrived with a success status; otherwise nothing is left behind. An HTML
// page or an empty body is not taken for the program. `cancel` is checked while receiving.
DownloadResult DownloadToFile(const QString& address, const QString& target,
                              const DownloadLimits& limits, const DownloadProgress& progress,
                              const std::atomic<bool>& cancel);

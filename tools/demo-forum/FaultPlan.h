#pragma once

#include <QString>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

enum class FaultKind { None, Slow, ServerError, Drop, Truncate };

// Which requests misbehave. An address is chosen by a hash of the seed and the address
// (host and path, lower case, without query), so the same addresses fail in every run
// with that seed; each chosen address gets one of the listed kinds the same way.
class FaultPlan {
public:
    FaultPlan() = default;
    // `modes`: comma-separated "slow", "500", "drop", "truncate" (empty: no faults).
    // False for an unknown mode.
    bool SetModes(const QString& modes);
    void SetShare(int percent) { share_ = percent; }
    void SetDelayMs(int ms) { delayMs_ = ms; }
    // Only the first n requests of a chosen address fail; 0 for every request.
    void SetFirstHits(int n) { firstHits_ = n; }
    void SetSeed(uint64_t seed) { seed_ = seed; }

    bool Active() const { return !kinds_.empty(); }
    int DelayMs() const { return delayMs_; }
    // The fault for one request; counts the request when only first hits fail.
    FaultKind Decide(const QString& hostAndPath);

private:
    std::vector<FaultKind> kinds_;
    int share_ = 25;
    int delayMs_ = 1500;
    int firstHits_ = 0;
    uint64_t seed_ = 1;
    std::mutex mutex_;
    std::map<QString, int> hits_;
};

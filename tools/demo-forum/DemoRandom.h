#pragma once

#include <QString>
#include <cstdint>

// Splitmix64: small, and the same sequence on every platform and compiler, which the
// standard distributions do not promise. Everything the forum generates comes from it.
class DemoRandom {
public:
    explicit DemoRandom(uint64_t seed) : state_(seed) {}

    uint64_t Next();
    // 0 to n - 1; 0 when n is not positive.
    int Below(int n);
    // lo to hi, both included.
    int Between(int lo, int hi);
    bool Chance(int percent);

private:
    uint64_t state_;
};

// A seed for one stream (a thread, a picture, a code) derived from the forum's seed.
uint64_t MixSeed(uint64_t seed, uint64_t stream);
// FNV-1a of the UTF-8 bytes, for seeds taken from addresses.
uint64_t HashText(const QString& text);

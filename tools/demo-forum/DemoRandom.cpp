#include "tools/demo-forum/DemoRandom.h"

#include <QByteArray>

uint64_t DemoRandom::Next() {
    uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

int DemoRandom::Below(int n) {
    if (n <= 0)
        return 0;
    return static_cast<int>(Next() % static_cast<uint64_t>(n));
}

int DemoRandom::Between(int lo, int hi) {
    return hi <= lo ? lo : lo + Below(hi - lo + 1);
}

bool DemoRandom::Chance(int percent) {
    return Below(100) < percent;
}

uint64_t MixSeed(uint64_t seed, uint64_t stream) {
    DemoRandom r(seed * 0x100000001b3ULL ^ (stream + 0x632be59bd9b4e019ULL));
    r.Next();
    return r.Next();
}

uint64_t HashText(const QString& text) {
    uint64_t h = 0xcbf29ce484222325ULL;
    for (char c : text.toUtf8()) {
        h ^= static_cast<unsigned char>(c);
        h *= 0x100000001b3ULL;
    }
    return h;
}

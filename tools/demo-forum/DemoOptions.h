#pragma once

#include "tools/demo-forum/SitePageRenderer.h"

#include <QString>
#include <QStringList>
#include <cstdint>

struct DemoOptions {
    int port = 18080; // 0 picks a free port
    uint64_t seed = 1;
    bool printHosts = false;
    QString writeHosts;       // settings file to point at this forum
    int growEverySeconds = 0; // 0: the growing thread grows only on request
    QString faults;           // comma-separated fault modes
    int faultShare = 25;      // percent of addresses hit
    int faultDelayMs = 1500;
    int faultFirst = 0;     // fail only the first n requests of an address; 0 = all
    int pictureDelayMs = 0; // every picture answers this much later
    VersionOffer version = VersionOffer::Optional;
    bool exitOnStdinEof = false;
    bool help = false;
};

// Reads the command line without the program name. False with a message on a bad option.
bool ParseDemoOptions(const QStringList& arguments, DemoOptions* options, QString* error);
QString DemoUsage();

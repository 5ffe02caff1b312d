#include "tools/demo-forum/DemoOptions.h"

#include "tools/demo-forum/FaultPlan.h"

namespace {

bool readInt(const QString& text, int low, int high, int* out) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low || v > high)
        return false;
    *out = v;
    return true;
}

} // namespace

QString DemoUsage() {
    return QStringLiteral(
        "QuillmereDemoForum [options]\n"
        "  --port N            listen on 127.0.0.1:N (0 picks a free port; default 18080)\n"
        "  --seed N            seed of every generated text and picture (default 1)\n"
        "  --print-hosts       print the [Hosts] section that points a home here\n"
        "  --write-hosts INI   write those keys into INI, keeping its other lines\n"
        "  --grow-every S      the growing thread gains a page every S seconds\n"
        "  --faults MODES      slow,500,drop,truncate (comma-separated)\n"
        "  --fault-share P     percent of addresses that misbehave (default 25)\n"
        "  --fault-delay-ms N  delay of the slow mode (default 1500)\n"
        "  --fault-first N     only the first N requests of an address misbehave\n"
        "  --picture-delay-ms N  every picture answers N ms late (default 0)\n"
        "  --version-offer K   optional, mandatory or none: the version row for 0.93\n"
        "  --exit-on-stdin-eof stop when standard input closes\n");
}

bool ParseDemoOptions(const QStringList& arguments, DemoOptions* options, QString* error) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const QString value = hasValue ? arguments[i + 1] : QString();
        const auto need = [&](bool ok) {
            if (!hasValue || !ok) {
                *error = QStringLiteral("bad or missing value for ") + a;
                return false;
            }
            ++i;
            return true;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            options->help = true;
        } else if (a == QLatin1String("--print-hosts")) {
            options->printHosts = true;
        } else if (a == QLatin1String("--exit-on-stdin-eof")) {
            options->exitOnStdinEof = true;
        } else if (a == QLatin1String("--port")) {
            if (!need(readInt(value, 0, 65535, &options->port)))
                return false;
        } else if (a == QLatin1String("--seed")) {
            bool ok = false;
            const qulonglong seed = value.toULongLong(&ok);
            if (!need(ok))
                return false;
            options->seed = seed;
        } else if (a == QLatin1String("--write-hosts")) {
            if (!need(!value.isEmpty()))
                return false;
            options->writeHosts = value;
        } else if (a == QLatin1String("--grow-every")) {
            if (!need(readInt(value, 1, 86400, &options->growEverySeconds)))
                return false;
        } else if (a == QLatin1String("--faults")) {
            FaultPlan probe;
            if (!need(probe.SetModes(value)))
                return false;
            options->faults = value;
        } else if (a == QLatin1String("--fault-share")) {
            if (!need(readInt(value, 0, 100, &options->faultShare)))
                return false;
        } else if (a == QLatin1String("--fault-delay-ms")) {
            if (!need(readInt(value, 0, 600000, &options->faultDelayMs)))
                return false;
        } else if (a == QLatin1String("--picture-delay-ms")) {
            if (!need(readInt(value, 0, 60000, &options->pictureDelayMs)))
                return false;
        } else if (a == QLatin1String("--fault-first")) {
            if (!need(readInt(value, 0, 1000000, &options->faultFirst)))
                return false;
        } else if (a == QLatin1String("--version-offer")) {
            const bool known = value == QLatin1String("optional") ||
                               value == QLatin1String("mandatory") ||
                               value == QLatin1String("none");
            if (!need(known))
                return false;
            options->version = value == QLatin1String("mandatory") ? VersionOffer::Mandatory
                               : value == QLatin1String("none")    ? VersionOffer::None
                                                                   : VersionOffer::Optional;
        } else {
            *error = QStringLiteral("unknown option ") + a;
            return false;
        }
    }
    return true;
}

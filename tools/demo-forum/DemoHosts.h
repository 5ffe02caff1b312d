#pragma once

#include <QString>
#include <utility>
#include <vector>

// The virtual hosts of the sample forum. All share one loopback port and live under
// ".localhost", which HTTP clients and browsers send to loopback without any resolver.
// The bare forum host is part of every forum host, as on the real site.
enum class DemoHost { Unknown, Bare, Www, Bbs, City, Passport, Focus, Picture, Maker, Discount };

class DemoHosts {
public:
    explicit DemoHosts(int port);

    int Port() const { return port_; }
    // "name.localhost:port", as it goes into addresses and the settings file.
    QString HostWithPort(DemoHost host) const;
    // "http://name.localhost:port".
    QString Origin(DemoHost host) const;
    // Which virtual host a Host header names (port and letter case ignored).
    static DemoHost FromHeader(const QString& hostHeader);
    // Domain shared by every forum host, for the login cookie.
    static QString CookieDomain();

    // The keys of section [Hosts] of the settings file, in file order.
    std::vector<std::pair<QString, QString>> SettingsKeys() const;
    // "[Hosts]" and one "key=value" line per key, each line ending in "\n".
    QString SettingsSection() const;
    // Writes the keys into an existing or new settings file, keeping its other lines.
    bool WriteSettings(const QString& iniPath) const;

private:
    int port_;
};

// The name of a host without port.
QString DemoHostName(DemoHost host);

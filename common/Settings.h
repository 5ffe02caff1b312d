#pragma once

#include <QString>

// The settings file "Quillmere.ini" in the program directory, or, for a name starting
// with "/", that file itself.
QString SettingsFilePath(const QString& fileName = QStringLiteral("Quillmere.ini"));

int ReadSettingInt(const QString& section, const QString& key, int defaultValue);
QString ReadSettingText(const QString& section, const QString& key,
                        const QString& defaultValue = {});
bool WriteSettingText(const QString& section, const QString& key, const QString& value);

// The forum's and the maker's hosts, section [Hosts] of Quillmere.ini.
// A host may carry a port ("127.0.0.1:18080").
struct ForumHosts {
    QString forumWww;
    QString forumBare;
    QString forumBbs;
    QString forumCity;
    QString forumPassport;
    QString forumFocus;
    QString makerSite;
    QString discountSite;
    QString supportMail;
};

// Read from the settings file on first use.
const ForumHosts& Hosts();
// Reads the [Hosts] section again (after the home or the file changed).
void ReloadHosts();

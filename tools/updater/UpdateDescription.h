#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// What the reader wrote into UpdateSoft.ini for one update.
struct UpdateDescription {
    QString softName;
    QStringList addresses; // SoftUrl1 to SoftUrl3 that are not empty, in that order
    QString savePath;      // always a file directly inside the updater's own folder
    int64_t maxBytes = 0;
};

inline constexpr int64_t kDefaultMaxUpdateBytes = 256LL * 1024 * 1024;
inline constexpr int64_t kHardMaxUpdateBytes = 2LL * 1024 * 1024 * 1024;

// Reads section Base of `iniPath`. `ownFolder` is the updater's folder: a SavePath (asterisks
// standing for blanks) elsewhere, or naming the updater's own files, is replaced by FileName
// in that folder, so the download never lands outside it.
UpdateDescription ReadUpdateDescription(const QString& iniPath, const QString& ownFolder);

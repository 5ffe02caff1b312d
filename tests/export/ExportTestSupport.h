#pragma once

#include "store/Catalogue.h"
#include "store/ThreadRecords.h"
#include "tests/support/TempHome.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A home with a catalogue, the maker's host set, and helpers to follow small threads.
class ExportHome {
public:
    ExportHome();

    // A followed thread with these posts (pages stored as the posts name them); its number.
    int Follow(const QString& title, const QString& author, const QList<ThreadPost>& posts,
               const QString& url = {});
    FollowRecord Record(int focusPageNo) const;
    QString Folder() const { return folder_.path(); }
    QByteArray ReadExport(const QString& fileName) const;
    QStringList ExportedFiles() const;

    TempHome home;

private:
    QTemporaryDir folder_;
    int count_ = 0;
};

ThreadPost MakePost(int page, const char* author, const char* time, const char* content);

// The entries of a zip archive in their order, with whether each is stored uncompressed and
// without extra fields.
struct ZipEntries {
    QStringList names;
    QMap<QString, QByteArray> data;
    QMap<QString, bool> stored;
};
// Reads every entry (checking its CRC); a failure when the file is no zip archive.
ZipEntries ReadZip(const QString& path);

// epubcheck's verdict on a book: empty when it passes without errors or warnings, else its
// report.
QString EpubCheckProblems(const QString& path);

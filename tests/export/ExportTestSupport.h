#pragma once

#include "store/Catalogue.h"
#include "store/ThreadRecords.h"
#include "tests/support/TempHome.h"

#include <QByteArray>
#include <QList>
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

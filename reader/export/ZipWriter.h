#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>
#include <QString>

// Writes a zip archive entry by entry through minizip. The archive replaces a file of the same
// name only when Commit succeeds; otherwise any earlier file stays as it was.
class ZipWriter {
public:
    explicit ZipWriter(const QString& path);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool Open();
    // The modification time recorded in the entries added after this call (local time, as zip
    // keeps it). Entries get the same time each run, so the same input gives the same bytes.
    void SetEntryTime(const QDateTime& time);
    // One entry, deflated unless `store` (then kept as is, without extra fields). Fails when
    // the archive would grow beyond what a zip without zip64 records can hold (4 GB).
    bool Add(const QString& name, const QByteArray& data, bool store = false);
    // Finishes the archive and puts it in place.
    bool Commit();

    QString Path() const { return file_.fileName(); }

private:
    QSaveFile file_;
    void* zip_ = nullptr;
    unsigned long dosTime_ = 0;
    bool failed_ = false;
};

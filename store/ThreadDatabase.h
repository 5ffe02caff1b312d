#pragma once

#include "store/ThreadRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Operations on one thread's database file, named by `dbFile` (a name in the home, as the
// catalogue stores it). Each statement is one access cycle; false means the file could not
// be used, with the reason in the log.

// --- server ---

// A new file "<n>-<yyyymmdd>-<hhmmss>.db" with the six tables; n counts the files this
// process made, from 1. `fileName` receives the name even when a table fails (the file
// then stays on disk without the later tables).
bool CreateThreadDatabase(QString& fileName);

// Posts of one page that share page, time and author (one header over two bodies, or a
// date-only header) become one post, since the table keeps one row per key: their contents
// joined by a line feed in page order, the later post's picture indexes continued after the
// earlier one's. Pictures are matched to posts by their key, in page order, each post's
// indexes counting from 0.
void MergePostsSharingKey(QList<ThreadPost>& posts, QList<ThreadPicture>& pictures);

// One page with its posts (merged as above), the pictures they show, a waiting download row
// for each new picture address and, last, the page row, all in one transaction: a page
// counts as stored only when everything of it is, so a failure (a full disk) leaves it to
// be fetched again. A page stored before is not an error: missing posts and pictures are
// added, a post whose page now shows more of it (a merged post that grew) gets the longer
// content, and nothing is stored twice. `newPictures` receives the addresses that got a new
// download row, each once, in page order.
bool SavePage(const QString& dbFile, QList<ThreadPost> posts, QList<ThreadPicture> pictures,
              int pageNo, const QString& pageUrl, QStringList* newPictures = nullptr);
// The same without pictures.
bool SavePage(const QString& dbFile, const QList<ThreadPost>& posts, int pageNo,
              const QString& pageUrl);
// Removes a thread file with its lock file, under its lock; true when the file is gone.
bool RemoveThreadDatabase(const QString& dbFile);
// Which post shows which picture.
bool SaveImageInfo(const QString& dbFile, const QList<ThreadPicture>& pictures);
// One row per new picture address, waiting for its download; known addresses keep theirs.
bool SaveImageData(const QString& dbFile, const QList<ThreadPicture>& pictures);
// The state of one address; true with `state` untouched when the address has no row.
bool ReadImageState(const QString& dbFile, const QString& address, PictureState& state);
// Stores a downloaded picture, or spends one of its two attempts when the download failed.
// `stored` (when given) tells whether this call wrote the picture's bytes: false when an earlier
// download had stored them already.
bool RecordImageDownload(const QString& dbFile, const QString& address, bool succeeded,
                         const QByteArray& bytes, bool* stored = nullptr);
// Stores the bytes and marks the picture fetched; false when nothing was written.
bool WriteImageData(const QString& dbFile, const QString& address, const QByteArray& bytes);
bool ListImageStates(const QString& dbFile, QList<PictureState>& states);
// Addresses of pictures on pages first..last still to be fetched, each once.
bool ListMissingImages(const QString& dbFile, int firstPage, int lastPage, QStringList& addresses);
// The posts that show a picture, in page order (the reader walks them and stops at the first
// page off its screen); always true (an unreadable file gives an empty list).
bool FindImagePosts(const QString& dbFile, const QString& address, QList<PicturePost>& posts);
// The address of the highest stored page; true with `url` untouched when none is stored.
bool GetLastPageUrl(const QString& dbFile, QString& url);
// Stored page numbers, ascending.
bool ListStoredPages(const QString& dbFile, QList<int>& pages);
// False when the page is not stored.
bool GetPageUrl(const QString& dbFile, int pageNo, QString& url);

// --- reader ---

// The posts of pages first..last, in page order and within a page by time, then author.
bool ReadWebpageFromDB(const QString& dbFile, int firstPage, int lastPage,
                       QList<ThreadPost>& posts);
// The first post of the lowest stored page / the last post of the highest one.
bool ReadFirstPost(const QString& dbFile, ThreadPost& post);
bool ReadLastPost(const QString& dbFile, ThreadPost& post);
bool ListPageImages(const QString& dbFile, int firstPage, int lastPage,
                    QList<ThreadPicture>& pictures);
// Writes a downloaded picture into `folder` under a new name and returns its full path;
// empty when the picture is not downloaded or cannot be written. Never replaces a file.
QString ExtractImage(const QString& dbFile, const QString& address, const QString& folder);
// Every downloaded picture into `folder`, each under its own new name; the number written.
int ExportAllImages(const QString& dbFile, const QString& folder);
// The bytes of a downloaded picture and its stored file extension; true with `bytes` empty when
// the address has no row or its picture is not downloaded.
bool ReadImageBytes(const QString& dbFile, const QString& address, QByteArray& bytes,
                    QString& fileExt);
// Not written (false) for page 0, the "newest posts" page, or an empty author or time.
bool SaveViewPosition(const QString& dbFile, const QString& author, const QString& time,
                      int viewMode, int pageNo);
// False when no position is stored.
bool ReadViewPosition(const QString& dbFile, ViewPosition& position);
// Replaces one filter list (2 show only, 3 highlight, 4 hide, 5 words; 3 is kept as 2).
bool SaveSomeBodyList(const QString& dbFile, const QStringList& entries, int listNo);
bool ReadSomeBodyList(const QString& dbFile, int listNo, QStringList& entries);

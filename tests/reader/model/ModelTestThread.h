#pragma once

#include "reader/model/ReadingModel.h"
#include "reader/model/ReadingObserver.h"
#include "store/ThreadRecords.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <tuple>

// A followed thread made through the store's own calls in the test's home: the catalogue
// row and a thread database file, filled page by page.
class ModelTestThread {
public:
    // `pageCount` is the page count recorded when the thread was followed.
    explicit ModelTestThread(const QString& starter = QStringLiteral("楼主"), int pageCount = 100);

    int FollowNo() const { return followNo_; }
    const QString& DbFile() const { return dbFile_; }
    const QString& Starter() const { return starter_; }

    // Stores page `pageNo` with one post per author, in the given order (their times rise
    // in that order, so it is also the stored order). A post's content is "p<page>-<i>"
    // followed by `words(page, i)` when given.
    void StorePage(int pageNo, const QStringList& authors,
                   const std::function<QString(int, int)>& words = nullptr);
    // Pages first..last, each with the authors `authorsOf(page)` gives, in one batch per
    // table (the same rows `StorePage` writes, without a transaction per page).
    void StorePages(int first, int last, const std::function<QStringList(int)>& authorsOf,
                    const std::function<QString(int, int)>& words = nullptr);
    // Every stored post in stored order.
    QList<ThreadPost> AllPosts() const;
    // The stored post at index `i` of page `pageNo`.
    ThreadPost PostAt(int pageNo, int i) const;

    static QString TimeOf(int pageNo, int index);

private:
    QString starter_;
    QString dbFile_;
    int followNo_ = 0;
};

// The identity of a post as a test compares it.
using PostKey = std::tuple<int, QString, QString>;
PostKey KeyOf(const ReadingPost& post);
PostKey KeyOf(const ThreadPost& post);
QList<PostKey> KeysOf(const QList<ReadingPost>& posts);

// An observer that writes down every notification.
class RecordingObserver : public ReadingObserver {
public:
    struct Note {
        int message = 0;
        int wParam = 0;
        int lParam = 0;
    };
    void OnReadingEvent(const ReadingEvent& event) override;
    // Processes events until `count` notes of `message` have arrived, at most `timeoutMs`.
    bool WaitFor(int message, int count, int timeoutMs = 60000);
    int Count(int message) const;

    QList<Note> notes;
    std::function<void(const ReadingEvent&)> onEvent; // runs after the note is taken
};

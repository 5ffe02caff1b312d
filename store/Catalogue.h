#pragma once

#include <QList>
#include <QString>

// The catalogue file in the home: the followed threads and the front-page recommendations.
inline const QString kCatalogueName = QStringLiteral("ForumData.db");

// One followed thread (a WebpageBaseInfo row).
struct FollowRecord {
    int focusPageNo = 0;
    QString webpageUrl;
    QString webpageName;
    QString notifyDelTime;
    QString webpageAuthor;
    QString dbFileName;
    int renovateSpan = 0;
    int deleteFocus = 0; // 1: temporary reading, purged at the reader's next start
    int pageCount = 0;
};

// One front-page recommendation (a TianyaFocusInfo row, without its number).
struct FocusItem {
    QString focusType;
    QString focusTitle;
    QString focusUrl;
};

// Every operation is one or more access cycles on the catalogue; false means the database
// could not be used, with the reason in the log.

// All follows in number order.
bool ListFollowedThreads(QList<FollowRecord>& follows);
// True when some follow has this address, ignoring letter case; false also when the
// catalogue cannot be read.
bool IsThreadFollowed(const QString& address);
// The number of the first follow with exactly this address; 0 when there is none.
int FindFollowNumber(const QString& address);
// A new temporary follow, its NotifyDelTime the current local time.
bool AddFollowedThread(const QString& address, const QString& title, const QString& author,
                       const QString& dbFileName, int pageCount);
// False when there is no such follow or the catalogue cannot be read.
bool ReadFollowedThread(int focusPageNo, FollowRecord& follow);
// Empties the recommendations, then stores `items` in order. Not atomic: a reader between
// the two steps sees no recommendations.
bool ReplaceFrontPageItems(const QList<FocusItem>& items);

bool MarkFollowDeleted(int focusPageNo);
bool MarkFollowPermanent(int focusPageNo);
bool SetNotifyDelTime(const QString& timeText, int focusPageNo);
bool DeleteFollowedThread(int focusPageNo);
// The recommendations in their stored order.
bool ListFrontPageItems(QList<FocusItem>& items);

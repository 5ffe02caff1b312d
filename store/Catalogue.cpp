#include "store/Catalogue.h"

#include "common/Utilities.h"
#include "store/DbAccess.h"
#include "store/SqlText.h"

#include <ctime>

namespace {

FollowRecord FollowOfRow(const DbRow& row) {
    FollowRecord follow;
    follow.focusPageNo = row.Int(0);
    follow.webpageUrl = row[1];
    follow.webpageName = row[2];
    follow.notifyDelTime = row[3];
    follow.webpageAuthor = row[4];
    follow.dbFileName = row[5];
    follow.renovateSpan = row.Int(6);
    follow.deleteFocus = row.Int(7);
    follow.pageCount = row.Int(8);
    return follow;
}

bool Execute(const QString& statement) {
    DbError error;
    return ExecuteSql(statement, kCatalogueName, error);
}

} // namespace

bool ListFollowedThreads(QList<FollowRecord>& follows) {
    follows.clear();
    DbRowList rows;
    DbError error;
    if (!QueryRows(QStringLiteral("select * from WebpageBaseInfo order by FocusPageNo;"), rows,
                   error, kCatalogueName))
        return false;
    for (const DbRow& row : rows)
        follows.append(FollowOfRow(row));
    return true;
}

bool IsThreadFollowed(const QString& address) {
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return false;
    const QString lower = address.toLower();
    for (const FollowRecord& follow : follows)
        if (follow.webpageUrl.toLower() == lower)
            return true;
    return false;
}

int FindFollowNumber(const QString& address) {
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows))
        return 0;
    for (const FollowRecord& follow : follows)
        if (follow.webpageUrl == address)
            return follow.focusPageNo;
    return 0;
}

bool AddFollowedThread(const QString& address, const QString& title, const QString& author,
                       const QString& dbFileName, int pageCount) {
    const QString now = TimeText(static_cast<int64_t>(std::time(nullptr)));
    return Execute(FormatSql("insert into WebpageBaseInfo values( null, '%s', '%s', '%s', "
                             "'%s', '%s', 5*60, 1, '%d' );",
                             {address, title, now, author, dbFileName, pageCount}));
}

bool ReadFollowedThread(int focusPageNo, FollowRecord& follow) {
    DbRowList rows;
    DbError error;
    if (!QueryRows(FormatSql("select * from WebpageBaseInfo where FocusPageNo=%d;", {focusPageNo}),
                   rows, error, kCatalogueName) ||
        rows.isEmpty())
        return false;
    follow = FollowOfRow(rows.first());
    return true;
}

bool ReplaceFrontPageItems(const QList<FocusItem>& items) {
    if (!Execute(QStringLiteral("delete from TianyaFocusInfo;")))
        return false;
    DbRowList rows;
    rows.reserve(items.size());
    for (const FocusItem& item : items)
        rows.append(DbRow{item.focusType, item.focusTitle, item.focusUrl});
    DbError error;
    return InsertRows(rows, kCatalogueName, QStringLiteral("TianyaFocusInfo"), true, 3,
                      kDbLockWaitSeconds, error);
}

bool MarkFollowDeleted(int focusPageNo) {
    return Execute(
        FormatSql("update WebpageBaseInfo set DeleteFocus=1 where FocusPageNo=%d;", {focusPageNo}));
}

bool MarkFollowPermanent(int focusPageNo) {
    return Execute(
        FormatSql("update WebpageBaseInfo set DeleteFocus=0 where FocusPageNo=%d;", {focusPageNo}));
}

bool SetNotifyDelTime(const QString& timeText, int focusPageNo) {
    return Execute(FormatSql("update WebpageBaseInfo set NotifyDelTime='%s' where FocusPageNo=%d;",
                             {timeText, focusPageNo}));
}

bool DeleteFollowedThread(int focusPageNo) {
    return Execute(FormatSql("delete from WebpageBaseInfo where FocusPageNo=%d;", {focusPageNo}));
}

bool ListFrontPageItems(QList<FocusItem>& items) {
    items.clear();
    DbRowList rows;
    DbError error;
    if (!QueryRows(QStringLiteral("select * from TianyaFocusInfo order by TianyaFocusNo;"), rows,
                   error, kCatalogueName))
        return false;
    for (const DbRow& row : rows)
        items.append(FocusItem{row[1], row[2], row[3]});
    return true;
}

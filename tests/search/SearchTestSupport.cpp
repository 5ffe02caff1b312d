#include "tests/search/SearchTestSupport.h"

#include "search/SearchIndex.h"
#include "store/ThreadDatabase.h"

#include <QMap>

FollowRecord FollowStoredThread(const QString& title, const QList<ThreadPost>& posts, bool index) {
    QString file;
    FollowRecord row;
    if (!CreateThreadDatabase(file))
        return row;
    const QString address = QStringLiteral("http://forum/") + file;
    QMap<int, QList<ThreadPost>> pages;
    for (const ThreadPost& post : posts)
        pages[post.pageNo].append(post);
    if (!AddFollowedThread(address, title, QStringLiteral("楼主"), file,
                           pages.isEmpty() ? 1 : pages.lastKey()) ||
        !ReadFollowedThread(FindFollowNumber(address), row))
        return FollowRecord{};
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        SavePage(file, page.value(), page.key(), QStringLiteral("http://forum/%1").arg(page.key()));
        if (index)
            IndexStoredPage(row.focusPageNo, file, page.key());
    }
    return row;
}

#include "reader/export/ExportThreads.h"

#include "store/ThreadDatabase.h"

void ExportThreadText(ExportKind kind, const QList<FollowRecord>& selected,
                      const ExportSeams& seams) {
    QString folder;
    for (const FollowRecord& row : selected) {
        const int focusPageNo = row.focusPageNo;
        if (folder.isEmpty()) {
            folder = seams.chooseFolder();
            if (folder.isEmpty())
                return;
        }
        FollowRecord follow;
        if (!ReadFollowedThread(focusPageNo, follow)) {
            seams.notify(QStringLiteral("读参数失败！"));
            return;
        }
        const std::optional<ExportRange> range = seams.chooseRange(follow);
        if (!range)
            continue;
        QStringList authors;
        if (range->starterOnly)
            authors.append(follow.webpageAuthor);
        else
            ReadSomeBodyList(follow.dbFileName, 2, authors);
        ExportProgress progress;
        if (seams.progress)
            progress = [&seams, &follow](int done, int total) {
                seams.progress(follow, done, total);
            };
        const int n = ExportPosts(kind, authors, focusPageNo, range->firstPage, range->lastPage,
                                  folder, progress);
        seams.notify(QStringLiteral("已导出%1个帖！").arg(n));
    }
}

void ExportThreadPictures(const QList<FollowRecord>& selected, const ExportSeams& seams) {
    QString folder;
    for (const FollowRecord& row : selected) {
        if (folder.isEmpty()) {
            folder = seams.chooseFolder();
            if (folder.isEmpty())
                return;
        }
        FollowRecord follow;
        int n = 0;
        if (ReadFollowedThread(row.focusPageNo, follow))
            n = ExportAllImages(follow.dbFileName, folder);
        seams.notify(QStringLiteral("已导出%1张图片！").arg(n));
    }
}

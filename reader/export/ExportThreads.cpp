#include "reader/export/ExportThreads.h"

#include "reader/export/ExportEpub.h"
#include "store/ThreadDatabase.h"

namespace {

// Writes one thread's file; the number of posts written.
using ThreadWriter =
    std::function<int(const QStringList& authors, int focusPageNo, int firstPage, int lastPage,
                      const QString& folder, const ExportProgress& progress)>;

void ExportThreadFiles(const ThreadWriter& write, const QList<FollowRecord>& selected,
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
        const int n =
            write(authors, focusPageNo, range->firstPage, range->lastPage, folder, progress);
        seams.notify(QStringLiteral("已导出%1个帖！").arg(n));
    }
}

} // namespace

void ExportThreadText(ExportKind kind, const QList<FollowRecord>& selected,
                      const ExportSeams& seams) {
    ExportThreadFiles(
        [kind](const QStringList& authors, int focusPageNo, int firstPage, int lastPage,
               const QString& folder, const ExportProgress& progress) {
            return ExportPosts(kind, authors, focusPageNo, firstPage, lastPage, folder, progress);
        },
        selected, seams);
}

void ExportThreadEpub(const QList<FollowRecord>& selected, const ExportSeams& seams) {
    ExportThreadFiles(ExportEpub, selected, seams);
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

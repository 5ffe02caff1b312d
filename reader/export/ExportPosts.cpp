#include "reader/export/ExportPosts.h"

#include "common/Log.h"
#include "common/Settings.h"
#include "common/Utilities.h"
#include "reader/export/PageSpans.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace {

// Longest file name (in bytes) the usual Linux file systems take.
constexpr int kMaxFileNameBytes = 255;

bool WriteText(QSaveFile& file, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return file.write(bytes) == bytes.size();
}

} // namespace

QString ExportFileName(const QString& title, int focusPageNo, ExportKind kind) {
    return ExportFileName(title, focusPageNo, ExportFormat(kind, QString()).Extension());
}

QString ExportFileName(const QString& title, int focusPageNo, const QString& extension) {
    QString base = RemoveForbiddenFileChars(title);
    if (base.isEmpty())
        base = QString::number(focusPageNo);
    const int room = kMaxFileNameBytes - static_cast<int>(extension.size());
    while (base.toUtf8().size() > room) {
        qsizetype cut = base.size() - 1;
        if (cut > 0 && base[cut].isLowSurrogate())
            --cut;
        base.truncate(cut);
    }
    return base + extension;
}

int ExportPosts(ExportKind kind, const QStringList& authors, int focusPageNo, int firstPage,
                int lastPage, const QString& folder, const ExportProgress& progress) {
    ThreadExportPlan plan;
    if (!PlanThreadExport(focusPageNo, firstPage, lastPage, plan))
        return 0;
    const FollowRecord& follow = plan.follow;
    const QList<PageSpan>& spans = plan.spans;
    const int totalPages = plan.totalPages;

    const QString path = JoinPath(folder, ExportFileName(follow.webpageName, focusPageNo, kind));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        Log(QStringLiteral("export file not created: ") + path, LogError);
        return 0;
    }
    const ExportFormat format(kind, Hosts().makerSite);
    const QSet<QString> wanted(authors.begin(), authors.end());

    QString text;
    format.AppendHead(text, follow);
    int kept = 0;
    int pagesDone = 0;
    QList<ThreadPost> posts;
    for (const PageSpan& span : spans) {
        if (!ReadWebpageFromDB(follow.dbFileName, span.from, span.to, posts)) {
            file.cancelWriting();
            return 0;
        }
        for (const ThreadPost& post : posts) {
            if (!wanted.contains(post.author))
                continue;
            format.AppendPost(text, post);
            ++kept;
        }
        if (!WriteText(file, text)) {
            file.cancelWriting();
            Log(QStringLiteral("export file not written: ") + path, LogError);
            return 0;
        }
        text.clear();
        pagesDone += span.storedPages;
        if (progress)
            progress(std::min(pagesDone, totalPages - 1), totalPages);
    }
    format.AppendTail(text);
    if (!WriteText(file, text) || !file.commit()) {
        Log(QStringLiteral("export file not written: ") + path, LogError);
        return 0;
    }
    if (progress)
        progress(totalPages, totalPages);
    return kept;
}

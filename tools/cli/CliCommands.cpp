#include "tools/cli/CliCommands.h"

#include "common/ProgramDirectory.h"
#include "common/Utilities.h"
#include "reader/export/ExportEpub.h"
#include "reader/export/ExportPosts.h"
#include "reader/model/ReadingModel.h"
#include "search/SearchIndex.h"
#include "store/Catalogue.h"
#include "store/ThreadDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

QString StateText(const FollowRecord& follow) {
    return follow.deleteFocus != 0 ? QStringLiteral("临时阅读") : QStringLiteral("永久阅读");
}

void WriteJson(QTextStream& out, const QJsonValue& value) {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    out << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

// The home named by the arguments, checked and made the program's home; false (with the
// reason) when it is missing or holds no readable catalogue. Nothing is created.
bool UseHome(const CliArguments& arguments, QString& error) {
    QString home = arguments.home;
    if (home.isEmpty()) {
        char program[] = "quillmere-cli";
        char* argv[] = {program, nullptr};
        home = HomeFromArguments(1, argv);
    }
    home = QDir(home).absolutePath();
    const QFileInfo folder(home);
    const QFileInfo catalogue(QDir(home).filePath(kCatalogueName));
    if (!folder.isDir() || !catalogue.isFile() || !catalogue.isReadable()) {
        error = QStringLiteral("cannot read the home %1 (no %2 there)").arg(home, kCatalogueName);
        return false;
    }
    SetProgramDirectory(home);
    return true;
}

bool ReadFollow(int number, FollowRecord& follow, QString& error) {
    if (ReadFollowedThread(number, follow))
        return true;
    error = QStringLiteral("no follow number %1 in this home").arg(number);
    return false;
}

int List(const CliArguments& arguments, QTextStream& out, QString& error) {
    QList<FollowRecord> follows;
    if (!ListFollowedThreads(follows)) {
        error = QStringLiteral("cannot read the catalogue of the home");
        return CliFailed;
    }
    QJsonArray rows;
    for (const FollowRecord& follow : follows) {
        QList<int> pages;
        ListStoredPages(follow.dbFileName, pages);
        const int highest = pages.isEmpty() ? 0 : pages.last();
        if (arguments.json) {
            rows.append(QJsonObject{{QStringLiteral("number"), follow.focusPageNo},
                                    {QStringLiteral("title"), follow.webpageName},
                                    {QStringLiteral("starter"), follow.webpageAuthor},
                                    {QStringLiteral("address"), follow.webpageUrl},
                                    {QStringLiteral("storedPages"), pages.size()},
                                    {QStringLiteral("highestPage"), highest},
                                    {QStringLiteral("pageCount"), follow.pageCount},
                                    {QStringLiteral("state"), StateText(follow)}});
        } else {
            out << follow.focusPageNo << '\t' << follow.webpageName << '\t' << follow.webpageAuthor
                << '\t' << pages.size() << '/' << highest << '\t' << StateText(follow) << '\n';
        }
    }
    if (arguments.json)
        WriteJson(out, rows);
    if (follows.isEmpty()) {
        error = QStringLiteral("no followed threads in this home");
        return CliNothingFound;
    }
    return CliDone;
}

QString OperationName(int operation) {
    switch (operation) {
    case OpFirst:
        return QStringLiteral("first");
    case OpPrevious:
        return QStringLiteral("previous");
    case OpOpen:
        return QStringLiteral("open");
    case OpNext:
        return QStringLiteral("next");
    case OpLatest:
        return QStringLiteral("latest");
    case OpGotoPage:
        return QStringLiteral("page");
    default:
        return QString();
    }
}

int Read(const CliArguments& arguments, QTextStream& out, QString& error) {
    FollowRecord follow;
    if (!ReadFollow(arguments.follow, follow, error))
        return CliFailed;
    // A model of its own, never registered: nobody hears of it, and it saves no position.
    ReadingModel model(arguments.follow);
    if (!model.Load()) {
        error = QStringLiteral("cannot read the thread of follow %1").arg(arguments.follow);
        return CliFailed;
    }
    if (arguments.mode >= 0)
        model.SetViewMode(arguments.mode);

    QList<int> operations{arguments.firstOp};
    for (int i = 0; i < arguments.furtherScreens; ++i)
        operations.append(arguments.furtherOp);

    QJsonArray screens;
    int shownPosts = 0;
    int screenNo = 0;
    for (int operation : operations) {
        const int value = operation == OpGotoPage ? arguments.page : 0;
        const int result = model.RunReadOperation(operation, value);
        ReadingScreen screen;
        model.GetScreen(screen);
        ++screenNo;
        if (arguments.json) {
            QJsonArray posts;
            for (const ReadingPost& post : screen.posts)
                posts.append(QJsonObject{{QStringLiteral("page"), post.pageNo},
                                         {QStringLiteral("author"), post.author},
                                         {QStringLiteral("time"), post.time},
                                         {QStringLiteral("colour"), post.colour},
                                         {QStringLiteral("content"), post.content}});
            screens.append(QJsonObject{{QStringLiteral("operation"), OperationName(operation)},
                                       {QStringLiteral("result"), result},
                                       {QStringLiteral("previousPage"), screen.previousPage},
                                       {QStringLiteral("nextPage"), screen.nextPage},
                                       {QStringLiteral("startPage"), screen.startPage},
                                       {QStringLiteral("endPage"), screen.endPage},
                                       {QStringLiteral("posts"), posts}});
        } else {
            out << QStringLiteral("==== 第%1屏（%2）  起始页 %3  结束页 %4  上一屏 %5  下一屏 %6\n")
                       .arg(screenNo)
                       .arg(OperationName(operation))
                       .arg(screen.startPage)
                       .arg(screen.endPage)
                       .arg(screen.previousPage)
                       .arg(screen.nextPage);
            for (const ReadingPost& post : screen.posts) {
                out << QStringLiteral("第%1页  作者：%2  发表日期：%3")
                           .arg(post.pageNo)
                           .arg(post.author, post.time);
                if (!post.colour.isEmpty())
                    out << QStringLiteral("  颜色：") << post.colour;
                out << '\n' << post.content << "\n\n";
            }
        }
        if (result == 1)
            shownPosts += static_cast<int>(screen.posts.size());
    }
    if (arguments.json)
        WriteJson(out, QJsonObject{{QStringLiteral("number"), follow.focusPageNo},
                                   {QStringLiteral("title"), follow.webpageName},
                                   {QStringLiteral("mode"), model.GetViewMode()},
                                   {QStringLiteral("screens"), screens}});
    if (shownPosts == 0) {
        error = QStringLiteral("no posts to show in follow %1").arg(arguments.follow);
        return CliNothingFound;
    }
    return CliDone;
}

int Export(const CliArguments& arguments, QTextStream& out, QString& error) {
    FollowRecord follow;
    if (!ReadFollow(arguments.follow, follow, error))
        return CliFailed;
    const QString folder = QDir(arguments.out).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        error = QStringLiteral("no such folder: %1").arg(folder);
        return CliFailed;
    }
    if (arguments.exportKind == QLatin1String("pictures")) {
        const int n = ExportAllImages(follow.dbFileName, folder);
        out << n << " pictures\t" << folder << '\n';
        if (n == 0) {
            error = QStringLiteral("no downloaded pictures in follow %1").arg(arguments.follow);
            return CliNothingFound;
        }
        return CliDone;
    }
    // Whose posts: as the range dialog's choice, the starter or the thread's chosen people.
    QStringList authors;
    if (arguments.people)
        ReadSomeBodyList(follow.dbFileName, 2, authors);
    else
        authors.append(follow.webpageAuthor);
    int n = 0;
    QString fileName;
    if (arguments.exportKind == QLatin1String("epub")) {
        n = ExportEpub(authors, follow.focusPageNo, arguments.firstPage, arguments.lastPage,
                       folder);
        fileName = ExportFileName(follow.webpageName, follow.focusPageNo, QStringLiteral(".epub"));
    } else {
        const ExportKind kind =
            arguments.exportKind == QLatin1String("txt") ? ExportKind::Text : ExportKind::Html;
        n = ExportPosts(kind, authors, follow.focusPageNo, arguments.firstPage, arguments.lastPage,
                        folder);
        fileName = ExportFileName(follow.webpageName, follow.focusPageNo, kind);
    }
    const QString path = JoinPath(folder, fileName);
    if (n == 0) {
        error = QFileInfo::exists(path) && arguments.exportKind != QLatin1String("epub")
                    ? QStringLiteral("no posts in that range and choice: %1").arg(path)
                    : QStringLiteral("nothing exported from follow %1").arg(arguments.follow);
        return CliNothingFound;
    }
    out << n << " posts\t" << path << '\n';
    return CliDone;
}

// The hit's excerpt with each marked range in 【】, for a terminal.
QString MarkedExcerpt(const SearchHit& hit) {
    QString text;
    int at = 0;
    QList<SearchMark> marks = hit.marks;
    std::sort(marks.begin(), marks.end(),
              [](const SearchMark& a, const SearchMark& b) { return a.start < b.start; });
    for (const SearchMark& mark : marks) {
        if (mark.start < at || mark.start + mark.length > hit.excerpt.size())
            continue;
        text += hit.excerpt.mid(at, mark.start - at);
        text +=
            QStringLiteral("【") + hit.excerpt.mid(mark.start, mark.length) + QStringLiteral("】");
        at = mark.start + mark.length;
    }
    text += hit.excerpt.mid(at);
    return text;
}

int Search(const CliArguments& arguments, QTextStream& out, QString& error) {
    if (SearchWords(arguments.words).isEmpty()) {
        error = QStringLiteral("nothing to search for in \"%1\"").arg(arguments.words);
        return CliFailed;
    }
    if (arguments.thread != 0) {
        FollowRecord follow;
        if (!ReadFollow(arguments.thread, follow, error))
            return CliFailed;
    }
    // Pages stored while no reader ran are indexed first; cheap when nothing is missing.
    SynchroniseSearchIndex();
    SearchRequest request;
    request.words = arguments.words;
    request.focusPageNo = arguments.thread;
    request.author = arguments.author;
    request.limit = 500;
    QList<SearchHit> hits;
    for (;;) {
        request.offset = static_cast<int>(hits.size());
        const SearchAnswer answer = SearchPosts(request);
        if (!answer.ok) {
            error = QStringLiteral("cannot read the search index of the home");
            return CliFailed;
        }
        hits += answer.hits;
        if (answer.hits.size() < request.limit)
            break;
    }
    QJsonArray rows;
    for (const SearchHit& hit : hits) {
        if (arguments.json) {
            QJsonArray marks;
            for (const SearchMark& mark : hit.marks)
                marks.append(QJsonObject{{QStringLiteral("start"), mark.start},
                                         {QStringLiteral("length"), mark.length}});
            rows.append(QJsonObject{{QStringLiteral("number"), hit.focusPageNo},
                                    {QStringLiteral("title"), hit.threadTitle},
                                    {QStringLiteral("page"), hit.pageNo},
                                    {QStringLiteral("author"), hit.author},
                                    {QStringLiteral("time"), hit.time},
                                    {QStringLiteral("excerpt"), hit.excerpt},
                                    {QStringLiteral("marks"), marks}});
        } else {
            out << hit.focusPageNo << '\t' << hit.threadTitle << '\t'
                << QStringLiteral("第%1页").arg(hit.pageNo) << '\t' << hit.author << '\t'
                << hit.time << '\t' << MarkedExcerpt(hit) << '\n';
        }
    }
    if (arguments.json)
        WriteJson(out, rows);
    if (hits.isEmpty()) {
        error = QStringLiteral("no posts found for \"%1\"").arg(arguments.words);
        return CliNothingFound;
    }
    return CliDone;
}

} // namespace

int RunCliCommand(const CliArguments& arguments, QTextStream& out, QString& error) {
    if (arguments.command == QLatin1String("help")) {
        out << CliUsage();
        return CliDone;
    }
    if (!UseHome(arguments, error))
        return CliFailed;
    if (arguments.command == QLatin1String("list"))
        return List(arguments, out, error);
    if (arguments.command == QLatin1String("read"))
        return Read(arguments, out, error);
    if (arguments.command == QLatin1String("export"))
        return Export(arguments, out, error);
    if (arguments.command == QLatin1String("search"))
        return Search(arguments, out, error);
    error = QStringLiteral("unknown command \"%1\"").arg(arguments.command);
    return CliFailed;
}

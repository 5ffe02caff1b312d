// Times reading on a 200,000-post thread: from a click on "下一页" to the last post of the
// next 30-post screen, with its pictures, in the document (the reading model's operation
// included); the window's own part of that, from the model's "operation done"; and from a
// new-pages message to the appended posts in the document. Then the memory of this process
// and its web engine helpers with 1 and with 10 reading windows open. Prints its figures.
#include "common/ProcessTree.h"
#include "common/ProgramDirectory.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/view/CShowContent.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/ModelReadingWindowLink.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/DbAccess.h"
#include "store/ThreadDatabase.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <malloc.h>
#include <memory>
#include <vector>

namespace {

constexpr int kPages = 2000;
constexpr int kPostsPerPage = 100; // 200,000 posts
constexpr int kFirstScreenPage = 1000;

ThreadPost PostAt(int page, int n) {
    return {page, QStringLiteral("网友%1").arg(n % 37),
            QStringLiteral("2015-06-01 %1:%2:%3")
                .arg(page % 24, 2, 10, QChar(u'0'))
                .arg(n / 60, 2, 10, QChar(u'0'))
                .arg(n % 60, 2, 10, QChar(u'0')),
            QString(40 + n % 200, QChar(u'文')) + QStringLiteral("\n第二段。")};
}

QByteArray Png(int seed) {
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(seed * 37 % 360, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

class BenchLink : public ReadingWindowLink {
public:
    void QueueSmall(const SmallMessage&) override {}
    void ReloadList(int, int) override {}
    int RequestReadOperation(ReadingObserver*, int, int) override { return 1; }
    bool GetScreen(ShownScreen& out) override {
        out = screen;
        return true;
    }
    bool GetPageState(QList<int>& stored, int& start, int& end) override {
        stored = storedPages;
        start = screen.startPage;
        end = screen.endPage;
        return true;
    }
    int ModelViewMode() override { return 1; }
    void SetModelViewMode(int) override {}
    void QueueReply(const QString&) override {}
    bool IsLoggedIn() override { return true; }
    void RunLogin(QWidget*) override {}
    bool RunListDialog(QWidget*, int, const QString&, const QString&, int) override {
        return false;
    }
    void LowerHelpTip(const QString&) override {}
    void OpenAddress(const QString&) override {}
    bool PickRecommendation(SideRecommendation&) override { return false; }
    void CloseRequested() override {}

    ShownScreen screen;
    QList<int> storedPages;
};

// The reader around a window over the real model: nothing but the model is used.
class ModelLink : public ModelReadingWindowLink {
public:
    using ModelReadingWindowLink::ModelReadingWindowLink;
    void QueueSmall(const SmallMessage&) override {}
    void QueueReply(const QString&) override {}
    bool IsLoggedIn() override { return true; }
    void RunLogin(QWidget*) override {}
    bool RunListDialog(QWidget*, int, const QString&, const QString&, int) override {
        return false;
    }
    void LowerHelpTip(const QString&) override {}
    void OpenAddress(const QString&) override {}
    bool PickRecommendation(SideRecommendation&) override { return false; }
    void CloseRequested() override {}
};

// Screen i: posts 30i .. 30i + 29 counted from the first post of kFirstScreenPage.
ShownScreen ScreenNumber(int i, int extra = 0) {
    ShownScreen screen;
    for (int k = 0; k < 30 + extra; ++k) {
        const int index = 30 * i + k;
        const int page = kFirstScreenPage + index / kPostsPerPage;
        screen.posts.append(
            ShownPostOf(PostAt(page, index % kPostsPerPage),
                        k % 3 ? QStringLiteral("#808080") : QStringLiteral("#FF0000")));
    }
    screen.previousPage = kFirstScreenPage - 1;
    screen.nextPage = 0; // the newest screen: new posts may follow
    screen.startPage = screen.posts.first().pageNo;
    screen.endPage = screen.posts.last().pageNo;
    return screen;
}

template <typename Condition> bool Spin(Condition condition, int limitMs = 30000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s median %7.1f ms   p90 %7.1f ms   min %7.1f ms   (n=%zu)\n", what,
                ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.front(), ms.size());
}

void PrintMemory(const char* what) {
    const qint64 self = QCoreApplication::applicationPid();
    const long own = ProcessPssKb(self);
    long helpers = 0;
    const QList<qint64> children = DescendantProcesses(self);
    for (qint64 child : children)
        helpers += ProcessPssKb(child);
    std::printf(
        "%-22s reader %6.1f MB   web engine helpers (%lld) %6.1f MB   total %6.1f MB (PSS)\n", what,
        own / 1024.0, static_cast<long long>(children.size()), helpers / 1024.0,
        (own + helpers) / 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, atoi(argv[1])) : 30;
    QTemporaryDir home;
    qputenv("QUILLMERE_HOME", QFile::encodeName(home.path()));
    SetProgramDirectory(home.path());

    QString db;
    if (!CreateThreadDatabase(db))
        return 1;
    QElapsedTimer fill;
    fill.start();
    BenchLink link;
    {
        DbRowList pageRows, postRows;
        for (int page = 1; page <= kPages; ++page) {
            pageRows.append(
                DbRow{QString::number(page), QStringLiteral("http://bbs.test/%1").arg(page)});
            for (int n = 0; n < kPostsPerPage; ++n) {
                const ThreadPost post = PostAt(page, n);
                postRows.append(DbRow{QString::number(page), post.time, post.author, post.content});
            }
            link.storedPages.append(page);
        }
        DbError error;
        if (!InsertRows(pageRows, db, QStringLiteral("PageInfo"), false, 2, 60, error) ||
            !InsertRows(postRows, db, QStringLiteral("TieInfo"), false, 4, 60, error))
            return 1;
    } // the rows are freed before memory is measured
    malloc_trim(0);
    // A picture in every third post of the screens that are timed.
    for (int i = 0; i < (runs + 2) * 30; i += 3) {
        const int page = kFirstScreenPage + i / kPostsPerPage;
        const ThreadPost post = PostAt(page, i % kPostsPerPage);
        const QString address = QStringLiteral("http://img.test/%1.png").arg(i);
        const ThreadPicture picture{page, post.author, post.time, 0, address};
        SaveImageInfo(db, {picture});
        SaveImageData(db, {picture});
        WriteImageData(db, address, Png(i));
    }
    std::printf("thread of %d posts on %d pages written in %.1f s\n", kPages * kPostsPerPage,
                kPages, fill.elapsed() / 1000.0);

    // The reading model: a followed thread whose saved position is page 1000 in the mode that
    // shows every post (30 to a screen).
    const QString address = QStringLiteral("http://bbs.test/thread.shtml");
    if (!EnsureCatalogueFile() ||
        !AddFollowedThread(address, QStringLiteral("基准"), QStringLiteral("网友0"), db, kPages))
        return 1;
    const int followNo = FindFollowNumber(address);
    const ThreadPost start = PostAt(kFirstScreenPage, 0);
    SaveViewPosition(db, start.author, start.time, 1, kFirstScreenPage);
    ReadingModelRegistry models;
    if (!models.OpenReadingModel(followNo))
        return 1;
    {
        ModelLink modelLink(models, followNo);
        CShowContent reading(
            {followNo, QStringLiteral("基准"), db, QStringLiteral("网友0"), kPages, true, true},
            &modelLink);
        models.AddModelObserver(followNo, &reading);
        int screensShown = 0;
        QObject::connect(&reading, &CShowContent::ScreenRendered, [&] { ++screensShown; });
        reading.show();
        reading.Open();
        Spin([&] { return screensShown == 1; });
        std::vector<double> clicks;
        for (int i = 0; i < runs; ++i) {
            const int before = screensShown;
            QElapsedTimer timer;
            timer.start();
            reading.Button(4)->click(); // "下一页"
            if (!Spin([&] { return screensShown > before; }))
                return 1;
            clicks.push_back(timer.nsecsElapsed() / 1e6);
        }
        Print("click on 下一页 -> next 30 posts with pictures in the view", clicks);
        models.RemoveModelObserver(followNo, &reading);
    }
    models.CloseAllReadingModels();

    ReadingWindowSetup setup{1,   QStringLiteral("基准"), db, QStringLiteral("网友0"), kPages, true,
                             true};
    auto window = std::make_unique<CShowContent>(setup, &link);
    link.screen = ScreenNumber(0);
    window->show();
    bool rendered = false;
    QObject::connect(window.get(), &CShowContent::ScreenRendered, [&] { rendered = true; });
    window->OnOperationDone(3, 1); // the first load of the document is not timed
    Spin([&] { return rendered; });

    std::vector<double> screens;
    for (int i = 1; i <= runs; ++i) {
        link.screen = ScreenNumber(i);
        rendered = false;
        QElapsedTimer timer;
        timer.start();
        window->OnOperationDone(4, 1);
        if (!Spin([&] { return rendered; }))
            return 1;
        screens.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print("operation done -> 30 posts with 10 pictures (window only)", screens);

    std::vector<double> appends;
    int appended = 0;
    QObject::connect(window.get(), &CShowContent::PostsAppended, [&](int n) { appended = n; });
    for (int i = 0; i < runs; ++i) {
        link.screen = ScreenNumber(runs, 5 * (i + 1)); // the screen shown last, grown
        appended = 0;
        QElapsedTimer timer;
        timer.start();
        window->OnNewPages(1, link.screen.endPage);
        if (!Spin([&] { return appended != 0; }))
            return 1;
        appends.push_back(timer.nsecsElapsed() / 1e6);
    }
    Print("new pages -> 5 new posts appended in the view", appends);

    PrintMemory("1 reading window:");
    std::vector<std::unique_ptr<CShowContent>> more;
    for (int i = 0; i < 9; ++i) {
        auto other = std::make_unique<CShowContent>(setup, &link);
        link.screen = ScreenNumber(i);
        other->show();
        bool done = false;
        QObject::connect(other.get(), &CShowContent::ScreenRendered, [&] { done = true; });
        other->OnOperationDone(3, 1);
        Spin([&] { return done; });
        more.push_back(std::move(other));
    }
    Spin([] { return false; }, 2000); // let the helpers settle
    PrintMemory("10 reading windows:");
    return 0;
}

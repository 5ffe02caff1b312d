// Several threads request operations on one model while the user-interface thread folds in
// new pages, changes the mode and takes copies, and observers come and go.
#include "reader/model/ReadingModelRegistry.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/model/ModelTestThread.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

namespace {

const QStringList kPeople = {QStringLiteral("楼主"), QStringLiteral("甲"), QStringLiteral("乙"),
                             QStringLiteral("丙")};

QStringList AuthorsOf(int page) {
    QStringList authors;
    for (int i = 0; i < 8; ++i)
        authors.append(kPeople[(page + i * i) % kPeople.size()]);
    return authors;
}

constexpr int kFirstPages = 40;
constexpr int kLastPage = 60;
constexpr int kRequesters = 3;
constexpr int kRequestsEach = 40;

// The stored order of two posts: page, then time (then author).
bool StoredBefore(const ReadingPost& a, const ReadingPost& b) {
    return std::tie(a.pageNo, a.time, a.author) < std::tie(b.pageNo, b.time, b.author);
}

TEST(ReadingConcurrencyTest, ManyRequestersNewPagesAndModeChangesKeepEveryScreenConsistent) {
    TempHome home;
    ModelTestThread thread(QStringLiteral("楼主"), 100);
    thread.StorePages(1, kFirstPages, AuthorsOf);
    ASSERT_TRUE(SaveSomeBodyList(thread.DbFile(), {QStringLiteral("甲")}, 2));
    ASSERT_TRUE(SaveSomeBodyList(thread.DbFile(), {QStringLiteral("乙")}, 4));
    ASSERT_TRUE(SaveSomeBodyList(thread.DbFile(), {QStringLiteral("p1")}, 5));

    ReadingModelRegistry models;
    ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
    const std::shared_ptr<ReadingModel> model = models.FindReadingModel(thread.FollowNo());
    const int follow = thread.FollowNo();

    // Every post that can ever be stored, by identity, with its content.
    QHash<QString, QString> contents;
    for (int page = 1; page <= kLastPage; ++page) {
        const QStringList authors = AuthorsOf(page);
        for (int i = 0; i < authors.size(); ++i)
            contents.insert(QStringLiteral("%1|%2|%3")
                                .arg(page)
                                .arg(authors[i], ModelTestThread::TimeOf(page, i)),
                            QStringLiteral("p%1-%2").arg(page).arg(i));
    }
    int screensChecked = 0;
    const auto checkScreen = [&] {
        ReadingScreen screen;
        model->GetScreen(screen);
        ASSERT_LE(screen.posts.size(), 30);
        for (int i = 0; i < screen.posts.size(); ++i) {
            const ReadingPost& post = screen.posts[i];
            const QString key =
                QStringLiteral("%1|%2|%3").arg(post.pageNo).arg(post.author, post.time);
            ASSERT_TRUE(contents.contains(key)) << key.toStdString();
            ASSERT_EQ(post.content, contents.value(key));
            if (i > 0) {
                ASSERT_TRUE(StoredBefore(screen.posts[i - 1], post)) << key.toStdString();
            }
        }
        if (!screen.posts.isEmpty() && screen.endPage != 0) {
            ASSERT_LE(screen.posts.first().pageNo, screen.endPage);
        }
        ++screensChecked;
    };

    // Windows that check the screen whenever an operation is done.
    std::vector<std::unique_ptr<RecordingObserver>> windows;
    for (int i = 0; i < kRequesters; ++i) {
        windows.push_back(std::make_unique<RecordingObserver>());
        windows.back()->onEvent = [&](const ReadingEvent&) { checkScreen(); };
        models.AddModelObserver(follow, windows.back().get());
    }
    // One more that goes away while its operations run (its requests come from its own
    // thread, as a window's do).
    auto leaving = std::make_unique<RecordingObserver>();
    models.AddModelObserver(follow, leaving.get());

    // Requesters on their own threads; the windows cross only as identities.
    std::atomic<int> requested{0};
    std::atomic<int> requestersFinished{0};
    std::vector<std::thread> requesters;
    for (int r = 0; r < kRequesters; ++r) {
        requesters.emplace_back([&, r] {
            std::mt19937 random(1234u + r);
            for (int i = 0; i < kRequestsEach; ++i) {
                const int op = 1 + int(random() % 6);
                const int page = 1 + int(random() % kLastPage);
                if (models.RequestReadOperation(follow, windows[r].get(), op, page) == 1)
                    ++requested;
                std::this_thread::sleep_for(std::chrono::milliseconds(random() % 4));
            }
            ++requestersFinished;
        });
    }
    // The server stores the later pages meanwhile and reports them.
    std::mutex reportsMutex;
    std::deque<int> reports;
    std::thread server([&] {
        for (int page = kFirstPages + 1; page <= kLastPage; ++page) {
            thread.StorePage(page, AuthorsOf(page));
            std::lock_guard guard(reportsMutex);
            reports.push_back(page);
        }
    });

    // The user-interface thread.
    const auto doneCount = [&] {
        int n = 0;
        for (const auto& window : windows)
            n += window->Count(UM_READ_OP_DONE);
        return n;
    };
    std::mt19937 random(99);
    QElapsedTimer timer;
    timer.start();
    bool serverJoined = false;
    bool requestersJoined = false;
    int handledPage = kFirstPages;
    for (int loop = 1;; ++loop) {
        ASSERT_LT(timer.elapsed(), 120000) << "operations stopped finishing";
        int page = 0;
        {
            std::lock_guard guard(reportsMutex);
            if (!reports.empty()) {
                page = reports.front();
                reports.pop_front();
            }
        }
        if (page != 0) {
            model->OnNewPagesStored(page);
            handledPage = page;
        }
        if (loop % 7 == 0)
            model->SetViewMode(int(random() % 6));
        if (leaving && loop < 20) {
            ASSERT_EQ(models.RequestReadOperation(follow, leaving.get(), OpNext), 1);
        }
        if (loop == 20)
            leaving.reset();
        checkScreen();
        ReadingPageState state;
        model->GetPageState(state);
        ASSERT_TRUE(std::is_sorted(state.storedPages.begin(), state.storedPages.end()));
        QCoreApplication::processEvents();
        QThread::msleep(1);

        if (!serverJoined && handledPage == kLastPage) {
            server.join();
            serverJoined = true;
        }
        if (!requestersJoined && requestersFinished == kRequesters) {
            for (auto& requester : requesters)
                requester.join();
            requestersJoined = true;
        }
        if (serverJoined && requestersJoined && !leaving && doneCount() == requested &&
            model->RunningOperations() == 0)
            break;
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(requested, kRequesters * kRequestsEach);
    EXPECT_EQ(doneCount(), requested);
    EXPECT_GT(screensChecked, requested.load());
    QList<int> pages;
    model->GetStoredPages(pages);
    EXPECT_EQ(pages.size(), kLastPage);
}

} // namespace

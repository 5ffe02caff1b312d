#include "reader/model/ReadingModel.h"
#include "common/Log.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/model/ModelTestThread.h"
#include "tests/support/TempHome.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

const QString kStarter = QStringLiteral("楼主");

// Five authors per page, the starter first.
QStringList FiveAuthors(int) {
    return {kStarter, QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"),
            QStringLiteral("丁")};
}

class ReadingModelTest : public ::testing::Test {
protected:
    // A thread with the given page count recorded in the catalogue.
    ModelTestThread& MakeThread(int pageCount = 100) {
        thread = std::make_unique<ModelTestThread>(kStarter, pageCount);
        return *thread;
    }

    ReadingModel& LoadModel() {
        model = std::make_unique<ReadingModel>(thread->FollowNo());
        EXPECT_TRUE(model->Load());
        return *model;
    }

    ReadingScreen Screen() const {
        ReadingScreen screen;
        model->GetScreen(screen);
        return screen;
    }

    PostKey Key(int page, int i) const { return KeyOf(thread->PostAt(page, i)); }

    // The stored posts that `passes` lets through, in stored order.
    QList<PostKey> StoredKeys(const std::function<bool(const ThreadPost&)>& passes) const {
        QList<PostKey> keys;
        for (const ThreadPost& post : thread->AllPosts())
            if (passes(post))
                keys.append(KeyOf(post));
        return keys;
    }

    TempHome home;
    std::unique_ptr<ModelTestThread> thread;
    std::unique_ptr<ReadingModel> model;
};

TEST_F(ReadingModelTest, OpeningChoosesTheFirstPageOnlyForShortThreadsFromPageOne) {
    struct Case {
        const char* name;
        int firstPage;
        int lastPage;
        bool atFirstPage;
    };
    const Case cases[] = {
        {"pages 1 to 19", 1, 19, true},
        {"pages 1 to 20", 1, 20, false},
        {"pages 3 to 12", 3, 12, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeThread(3).StorePages(c.firstPage, c.lastPage, FiveAuthors);
        LoadModel();
        ASSERT_EQ(model->GetViewMode(), HighlightStarter);
        ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
        const ReadingScreen screen = Screen();
        ASSERT_EQ(screen.posts.size(), 30);
        if (c.atFirstPage) {
            EXPECT_EQ(KeyOf(screen.posts.first()), Key(1, 0));
            EXPECT_EQ(screen.startPage, 1);
            EXPECT_EQ(screen.previousPage, 0);
            EXPECT_EQ(screen.nextPage, 7);
        } else {
            EXPECT_EQ(KeyOf(screen.posts.last()), Key(c.lastPage, 4));
            EXPECT_EQ(screen.nextPage, 0);
            EXPECT_EQ(screen.endPage, c.lastPage);
            EXPECT_EQ(screen.startPage, c.lastPage - 5);
            EXPECT_EQ(screen.previousPage, c.lastPage - 6);
        }
        EXPECT_TRUE(model->IsOpened());
    }
}

TEST_F(ReadingModelTest, WithoutASavedPositionTheModeFollowsThePageCountWhenFollowed) {
    const std::pair<int, int> cases[] = {
        {1, HighlightStarter}, {5, HighlightStarter}, {6, OnlyStarter}, {200, OnlyStarter}};
    for (const auto& [pageCount, mode] : cases) {
        SCOPED_TRACE(pageCount);
        MakeThread(pageCount).StorePages(1, 2, FiveAuthors);
        LoadModel();
        EXPECT_EQ(model->GetViewMode(), mode);
        EXPECT_EQ(model->GetMarkers().start.pageNo, LatestSentinelPage);
        EXPECT_EQ(Screen().startPage, 0);
    }
}

TEST_F(ReadingModelTest, ASavedPositionReopensAtItsPostInItsMode) {
    MakeThread(3).StorePages(1, 30, FiveAuthors);
    const ThreadPost saved = thread->PostAt(7, 2);
    ASSERT_TRUE(SaveViewPosition(thread->DbFile(), saved.author, saved.time, BlockChosen, 7));
    ASSERT_TRUE(SaveSomeBodyList(thread->DbFile(), {QStringLiteral("丙")}, 4));
    LoadModel();
    EXPECT_EQ(model->GetViewMode(), BlockChosen);
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    const ReadingScreen screen = Screen();
    const QList<PostKey> expected = StoredKeys([](const ThreadPost& p) {
                                        return p.author != QStringLiteral("丙") &&
                                               std::make_pair(p.pageNo, p.time) >=
                                                   std::make_pair(7, ModelTestThread::TimeOf(7, 2));
                                    }).mid(0, 12);
    EXPECT_EQ(KeysOf(screen.posts), expected);
    EXPECT_EQ(screen.startPage, 7);
    EXPECT_EQ(screen.previousPage, 7); // 甲 just before the saved post
    EXPECT_EQ(KeyOf(model->GetMarkers().previous), Key(7, 1));
}

// The starter writes one post in a hundred (post 0 of every tenth page).
TEST_F(ReadingModelTest, OnlyStarterReadsFurtherRunsUntilTheScreenIsFullOrThePagesEnd) {
    struct Case {
        const char* name;
        int lastPage;
        int missingPage; // 0: none
        int expectedPosts;
        int expectedNextPage;
        int lastRunEnd; // no page beyond it is read
    };
    const Case cases[] = {
        {"full screen, next found in the 13th run", 200, 0, 12, 130, 130},
        {"pages end before the screen is full", 100, 0, 10, 0, 100},
        {"a gap ends the search", 200, 56, 5, 0, 55},
    };
    const auto authors = [](int page) {
        QStringList list;
        for (int i = 0; i < 10; ++i)
            list.append(i == 0 && page % 10 == 0 ? kStarter : QStringLiteral("路人%1").arg(i));
        return list;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeThread(100);
        if (c.missingPage == 0) {
            thread->StorePages(1, c.lastPage, authors);
        } else {
            thread->StorePages(1, c.missingPage - 1, authors);
            thread->StorePages(c.missingPage + 1, c.lastPage, authors);
        }
        LoadModel();
        ASSERT_EQ(model->GetViewMode(), OnlyStarter);
        ClearLog();
        ASSERT_EQ(model->RunReadOperation(OpFirst), 1);
        const ReadingScreen screen = Screen();
        ASSERT_EQ(screen.posts.size(), c.expectedPosts);
        for (int i = 0; i < screen.posts.size(); ++i)
            EXPECT_EQ(KeyOf(screen.posts[i]), Key(10 * (i + 1), 0));
        EXPECT_EQ(screen.nextPage, c.expectedNextPage);
        EXPECT_EQ(screen.previousPage, 0);
        int highest = 0;
        const QRegularExpression range(QStringLiteral("ulEnd=(\\d+)"));
        for (const QString& line : LogLinesContaining(QStringLiteral("ReadWebpageFromDB")))
            highest = std::max(highest, range.match(line).captured(1).toInt());
        EXPECT_EQ(highest, c.lastRunEnd);
    }
}

TEST_F(ReadingModelTest, HighlightStarterShowsThirtyPostsColouredByAuthor) {
    MakeThread(3).StorePages(1, 10, FiveAuthors);
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpFirst), 1);
    const ReadingScreen screen = Screen();
    ASSERT_EQ(screen.posts.size(), 30);
    for (const ReadingPost& post : screen.posts)
        EXPECT_EQ(post.colour,
                  post.author == kStarter ? QStringLiteral("#FF0000") : QStringLiteral("#808080"));
    EXPECT_EQ(screen.nextPage, 7);
}

TEST_F(ReadingModelTest, PeopleAndWordFiltersPassExactlyWhatTheyName) {
    struct Case {
        const char* name;
        int mode;
        int list; // 0: none saved
        QStringList entries;
        std::function<bool(const ThreadPost&)> passes;
        std::function<QString(const ThreadPost&)> colour;
    };
    const auto none = [](const ThreadPost&) { return QString(); };
    const Case cases[] = {
        {"chosen people",
         OnlyChosen,
         2,
         {QStringLiteral("甲"), QStringLiteral("abc")},
         [](const ThreadPost& p) { return p.author == QStringLiteral("甲"); },
         none},
        {"highlight list saved as 3 is list 2",
         HighlightChosen,
         3,
         {QStringLiteral("乙")},
         [](const ThreadPost&) { return true; },
         [](const ThreadPost& p) {
             return p.author == QStringLiteral("乙") ? QStringLiteral("#FF0000")
                                                     : QStringLiteral("#808080");
         }},
        {"blocked people",
         BlockChosen,
         4,
         {QStringLiteral("丙"), QStringLiteral("甲")},
         [](const ThreadPost& p) {
             return p.author != QStringLiteral("丙") && p.author != QStringLiteral("甲");
         },
         none},
        {"no chosen words", OnlyWords, 0, {}, [](const ThreadPost&) { return false; }, none},
        {"a word inside a longer word",
         OnlyWords,
         5,
         {QStringLiteral("天涯")},
         [](const ThreadPost& p) { return p.content.contains(QStringLiteral("天涯社区")); },
         none},
        {"words are matched as written",
         OnlyWords,
         5,
         {QStringLiteral("社区天涯")},
         [](const ThreadPost&) { return false; },
         none},
        {"a mode beyond 5 passes nothing", 6, 0, {}, [](const ThreadPost&) { return false; }, none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // "Abc" must not pass as "abc": names are compared exactly.
        MakeThread(100).StorePages(
            1, 6,
            [](int) {
                return QStringList{kStarter, QStringLiteral("甲"), QStringLiteral("乙"),
                                   QStringLiteral("丙"), QStringLiteral("Abc")};
            },
            [](int, int i) { return i % 2 == 0 ? QStringLiteral(" 天涯社区") : QString(); });
        if (c.list != 0) {
            ASSERT_TRUE(SaveSomeBodyList(thread->DbFile(), c.entries, c.list));
        }
        LoadModel();
        model->SetViewMode(c.mode);
        ASSERT_EQ(model->RunReadOperation(OpFirst), 1);
        const ReadingScreen screen = Screen();
        const QList<PostKey> expected = StoredKeys(c.passes).mid(0, ScreenSize(c.mode));
        EXPECT_EQ(KeysOf(screen.posts), expected);
        const QList<ThreadPost> all = thread->AllPosts();
        for (const ReadingPost& post : screen.posts) {
            const auto it = std::find_if(all.begin(), all.end(), [&](const ThreadPost& p) {
                return KeyOf(p) == KeyOf(post);
            });
            ASSERT_NE(it, all.end());
            EXPECT_EQ(post.colour, c.colour(*it));
            EXPECT_EQ(post.content, it->content);
        }
    }
}

TEST_F(ReadingModelTest, PreviousFromAScreenInsideThePagesReachesTheFirstPostOfPageOne) {
    MakeThread(3).StorePages(1, 10, FiveAuthors);
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpGotoPage, 3), 1);
    ASSERT_EQ(Screen().previousPage, 2);
    ASSERT_EQ(model->RunReadOperation(OpPrevious), 1);
    const ReadingScreen screen = Screen();
    ASSERT_EQ(screen.posts.size(), 10);
    EXPECT_EQ(KeyOf(screen.posts.first()), Key(1, 0));
    EXPECT_EQ(KeyOf(screen.posts.last()), Key(2, 4));
    EXPECT_EQ(screen.previousPage, 0);
    EXPECT_EQ(screen.startPage, 1);
    // The old start becomes both the next and the end marker.
    EXPECT_EQ(KeyOf(model->GetMarkers().next), Key(3, 0));
    EXPECT_EQ(KeyOf(model->GetMarkers().end), Key(3, 0));

    // Nothing before the first screen: the request changes nothing.
    EXPECT_EQ(model->RunReadOperation(OpPrevious), 0);
    EXPECT_EQ(KeysOf(Screen().posts), KeysOf(screen.posts));
}

TEST_F(ReadingModelTest, OnlyTheLatestOperationsOwnPreviousLeavesTheNextMarkerEmpty) {
    MakeThread(3).StorePages(1, 10, FiveAuthors);
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpLatest), 1);
    ReadingScreen screen = Screen();
    ASSERT_EQ(screen.posts.size(), 30);
    EXPECT_EQ(KeyOf(screen.posts.first()), Key(5, 0));
    EXPECT_EQ(screen.nextPage, 0);
    EXPECT_EQ(KeyOf(model->GetMarkers().end), Key(10, 4));
    EXPECT_EQ(screen.startPage, 5);

    // A later previous behaves as from any other screen.
    ASSERT_EQ(model->RunReadOperation(OpPrevious), 1);
    screen = Screen();
    ASSERT_EQ(screen.posts.size(), 20);
    EXPECT_EQ(KeyOf(screen.posts.first()), Key(1, 0));
    EXPECT_EQ(KeyOf(model->GetMarkers().next), Key(5, 0));
    EXPECT_EQ(KeyOf(model->GetMarkers().end), Key(5, 0));
    EXPECT_EQ(screen.nextPage, 5);

    ASSERT_EQ(model->RunReadOperation(OpNext), 1);
    EXPECT_EQ(KeyOf(Screen().posts.first()), Key(5, 0));
}

TEST_F(ReadingModelTest, NextFromTheLastScreenChangesNothing) {
    MakeThread(3).StorePages(1, 8, FiveAuthors);
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpFirst), 1);
    ASSERT_EQ(model->RunReadOperation(OpNext), 1);
    const ReadingScreen last = Screen();
    ASSERT_EQ(last.nextPage, 0);
    ASSERT_EQ(last.posts.size(), 10);
    // A second "next" queued behind the first must not blank the screen or lose the start.
    EXPECT_EQ(model->RunReadOperation(OpNext), 0);
    const ReadingScreen after = Screen();
    EXPECT_EQ(KeysOf(after.posts), KeysOf(last.posts));
    EXPECT_EQ(after.startPage, 7);
    EXPECT_TRUE(model->SaveReadingPosition());
}

TEST_F(ReadingModelTest, GoingToAPageWithoutPostsChangesNothing) {
    MakeThread(3).StorePages(1, 5, FiveAuthors);
    thread->StorePage(6, {}); // the page row without posts
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpGotoPage, 2), 1);
    const ReadingScreen before = Screen();
    for (int page : {6, 7, 0}) {
        SCOPED_TRACE(page);
        EXPECT_EQ(model->RunReadOperation(OpGotoPage, page), 0);
        const ReadingScreen after = Screen();
        EXPECT_EQ(KeysOf(after.posts), KeysOf(before.posts));
        EXPECT_EQ(after.startPage, 2);
        EXPECT_EQ(after.nextPage, before.nextPage);
        EXPECT_EQ(after.previousPage, before.previousPage);
    }
}

TEST_F(ReadingModelTest, NewPagesTopUpAShortScreenAndOnlyMarkTheNextOfAFullOne) {
    struct Case {
        const char* name;
        int storedPages;
        QList<int> arriving;
        int expectedPosts;
        int expectedNextPage;
    };
    const Case cases[] = {
        {"full screen, no next screen", 6, {7}, 30, 7},
        {"short screen grows", 4, {5}, 25, 0},
        {"short screen fills, then learns its next", 4, {5, 6, 7}, 30, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeThread(3).StorePages(1, c.storedPages, FiveAuthors);
        LoadModel();
        RecordingObserver observer;
        model->AddObserver(&observer);
        ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
        const QList<PostKey> before = KeysOf(Screen().posts);
        for (int page : c.arriving) {
            thread->StorePage(page, FiveAuthors(page));
            model->OnNewPagesStored(page);
        }
        const ReadingScreen screen = Screen();
        EXPECT_EQ(screen.posts.size(), c.expectedPosts);
        EXPECT_EQ(KeysOf(screen.posts).mid(0, before.size()), before);
        EXPECT_EQ(KeysOf(screen.posts),
                  StoredKeys([](const ThreadPost&) { return true; }).mid(0, c.expectedPosts));
        EXPECT_EQ(screen.nextPage, c.expectedNextPage);
        ASSERT_TRUE(observer.WaitFor(UM_READ_NEW_PAGES, c.arriving.size()));
        EXPECT_EQ(observer.notes.last().wParam, thread->FollowNo());
        EXPECT_EQ(observer.notes.last().lParam, c.arriving.last());
    }
}

TEST_F(ReadingModelTest, NewPagesBeforeOpeningOnlyRefreshTheStoredPages) {
    MakeThread(3).StorePages(1, 3, FiveAuthors);
    LoadModel();
    RecordingObserver observer;
    model->AddObserver(&observer);
    thread->StorePage(4, FiveAuthors(4));
    model->OnNewPagesStored(4);
    QList<int> pages;
    model->GetStoredPages(pages);
    EXPECT_EQ(pages, (QList<int>{1, 2, 3, 4}));
    EXPECT_TRUE(Screen().posts.isEmpty());
    ASSERT_TRUE(observer.WaitFor(UM_READ_NEW_PAGES, 1));
}

// The newest page arrived first, the gap was filled later, and the newest page is reported
// again: the stored pages are read again all the same.
TEST_F(ReadingModelTest, ARepeatedReportOfTheLastPageSeesTheFilledGap) {
    MakeThread(12);
    thread->StorePage(1, FiveAuthors(1));
    thread->StorePage(12, FiveAuthors(12));
    LoadModel();
    thread->StorePages(2, 11, FiveAuthors);
    model->OnNewPagesStored(12);
    QList<int> pages;
    model->GetStoredPages(pages);
    EXPECT_EQ(pages.size(), 12);
}

TEST_F(ReadingModelTest, NewPagesChooseAScreenWhenNoneWasEverComputed) {
    MakeThread(3);
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1); // nothing stored yet
    EXPECT_TRUE(Screen().posts.isEmpty());
    thread->StorePages(1, 2, FiveAuthors);
    model->OnNewPagesStored(2);
    const ReadingScreen screen = Screen();
    ASSERT_EQ(screen.posts.size(), 10);
    EXPECT_EQ(KeyOf(screen.posts.first()), Key(1, 0));
}

// The saved start lies beyond the stored pages; the backward search that fills the empty
// screen is clamped to the last stored page and must step down from there.
TEST_F(ReadingModelTest, FillingAnEmptyScreenFromBeyondTheStoredPagesShowsEachPostOnce) {
    const auto twoAuthors = [](int) { return QStringList{kStarter, QStringLiteral("甲")}; };
    MakeThread(3).StorePages(1, 21, twoAuthors);
    ASSERT_TRUE(SaveViewPosition(thread->DbFile(), kStarter, ModelTestThread::TimeOf(25, 0),
                                 HighlightStarter, 25));
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    ASSERT_TRUE(Screen().posts.isEmpty());
    thread->StorePage(22, twoAuthors(22));
    model->OnNewPagesStored(22);
    const ReadingScreen screen = Screen();
    const QList<PostKey> keys = KeysOf(screen.posts);
    EXPECT_EQ(std::set<PostKey>(keys.begin(), keys.end()).size(), size_t(keys.size()));
    EXPECT_EQ(keys, StoredKeys([](const ThreadPost&) { return true; }).mid(14));
    EXPECT_EQ(screen.startPage, 8);
    EXPECT_EQ(screen.previousPage, 7);
    EXPECT_EQ(screen.endPage, 22);

    // The next page to arrive is the following screen.
    thread->StorePage(23, twoAuthors(23));
    model->OnNewPagesStored(23);
    ReadingScreen after;
    model->GetScreen(after);
    EXPECT_EQ(KeysOf(after.posts), keys);
    EXPECT_EQ(after.nextPage, 23);
    EXPECT_EQ(after.endPage, 22);
}

// The saved start lies in a gap of the stored pages: pages arriving before it find no run
// to fill the screen from, and must not wipe the start post out.
TEST_F(ReadingModelTest, AStartInAGapSurvivesEarlierPagesArriving) {
    MakeThread(3).StorePages(1, 5, FiveAuthors);
    thread->StorePages(7, 10, FiveAuthors);
    const QString savedTime = ModelTestThread::TimeOf(6, 1);
    ASSERT_TRUE(
        SaveViewPosition(thread->DbFile(), QStringLiteral("甲"), savedTime, HighlightStarter, 6));
    LoadModel();
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    ASSERT_TRUE(Screen().posts.isEmpty());
    thread->StorePage(3, FiveAuthors(3)); // stored again, as a refresh does
    model->OnNewPagesStored(3);
    EXPECT_EQ(Screen().startPage, 6);
    thread->StorePage(6, FiveAuthors(6));
    model->OnNewPagesStored(6);
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    const ReadingScreen screen = Screen();
    ASSERT_FALSE(screen.posts.isEmpty());
    EXPECT_EQ(KeyOf(screen.posts.first()), Key(6, 1));
    EXPECT_TRUE(model->SaveReadingPosition());
}

TEST_F(ReadingModelTest, RemovingAnObserverEmptiesTheScreenUntilTheNextOpen) {
    MakeThread(3).StorePages(1, 3, FiveAuthors);
    LoadModel();
    RecordingObserver observer;
    model->AddObserver(&observer);
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    EXPECT_FALSE(model->RemoveObserver(nullptr));
    EXPECT_FALSE(Screen().posts.isEmpty());
    EXPECT_TRUE(model->RemoveObserver(&observer));
    EXPECT_TRUE(Screen().posts.isEmpty());
    EXPECT_FALSE(model->IsOpened());
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    EXPECT_EQ(Screen().posts.size(), 15);
}

TEST_F(ReadingModelTest, TheReadingPositionIsSavedOnlyForAChosenStartPost) {
    MakeThread(3).StorePages(1, 10, FiveAuthors);
    LoadModel();
    ViewPosition position;
    EXPECT_FALSE(model->SaveReadingPosition()); // start at the newest posts
    EXPECT_FALSE(ReadViewPosition(thread->DbFile(), position));
    ASSERT_EQ(model->RunReadOperation(OpGotoPage, 4), 1);
    model->SetViewMode(BlockChosen);
    EXPECT_TRUE(model->SaveReadingPosition());
    ASSERT_TRUE(ReadViewPosition(thread->DbFile(), position));
    EXPECT_EQ(position.pageNo, 4);
    EXPECT_EQ(position.viewMode, BlockChosen);
    EXPECT_EQ(position.author, kStarter);
    EXPECT_EQ(position.time, ModelTestThread::TimeOf(4, 0));
    EXPECT_EQ(position.renovate, 300);
}

TEST_F(ReadingModelTest, ReloadedListsTakeEffectAtTheNextOpen) {
    MakeThread(100).StorePages(1, 3, FiveAuthors);
    LoadModel();
    model->SetViewMode(OnlyChosen);
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    EXPECT_TRUE(Screen().posts.isEmpty());
    ASSERT_TRUE(SaveSomeBodyList(thread->DbFile(), {QStringLiteral("丁")}, 2));
    ASSERT_TRUE(model->ReloadChosenPeople());
    EXPECT_EQ(model->ChosenPeople(), QStringList{QStringLiteral("丁")});
    ASSERT_EQ(model->RunReadOperation(OpFirst), 1);
    EXPECT_EQ(Screen().posts.size(), 3);
}

TEST_F(ReadingModelTest, AThreadThatCannotBeReadDoesNotLoad) {
    ModelTestThread present;
    ReadingModel missing(present.FollowNo() + 1);
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.IsReady());
}

} // namespace

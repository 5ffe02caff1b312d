// Reading a whole thread screen by screen, forward and back, in every mode.
#include "reader/model/ReadingModel.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/model/ModelTestThread.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace {

const QString kStarter = QStringLiteral("楼主");
const QStringList kPeople = {kStarter,
                             QStringLiteral("甲"),
                             QStringLiteral("乙"),
                             QStringLiteral("丙"),
                             QStringLiteral("丁"),
                             QStringLiteral("戊")};
constexpr int kPages = 300;

// Twelve posts a page; authors and words drawn from a fixed sequence so that every filter
// lets an uneven share through, with long stretches where a filter passes nothing.
QStringList AuthorsOf(int page) {
    QStringList authors;
    for (int i = 0; i < 12; ++i) {
        const unsigned mix = unsigned(page) * 2654435761u + unsigned(i) * 40503u;
        // Pages 100 to 139 have no post of the starter.
        int who = int((mix >> 7) % kPeople.size());
        if (who == 0 && page >= 100 && page < 140)
            who = 1;
        authors.append(kPeople[who]);
    }
    return authors;
}

QString WordsOf(int page, int i) {
    return (page * 7 + i * 3) % 23 == 0 ? QStringLiteral(" 关键词语") : QStringLiteral(" 闲聊");
}

struct Expected {
    QList<PostKey> keys;
    QStringList colours;
};

Expected Filtered(const QList<ThreadPost>& posts, int mode) {
    const QStringList chosen = {QStringLiteral("甲"), QStringLiteral("戊")};
    const QStringList blocked = {QStringLiteral("乙")};
    Expected expected;
    for (const ThreadPost& post : posts) {
        bool passes = false;
        QString colour;
        switch (mode) {
        case OnlyStarter:
            passes = post.author == kStarter;
            break;
        case HighlightStarter:
            passes = true;
            colour = post.author == kStarter ? HighlightColour : PlainColour;
            break;
        case OnlyChosen:
            passes = chosen.contains(post.author);
            break;
        case HighlightChosen:
            passes = true;
            colour = chosen.contains(post.author) ? HighlightColour : PlainColour;
            break;
        case BlockChosen:
            passes = !blocked.contains(post.author);
            break;
        case OnlyWords:
            passes = post.content.contains(QStringLiteral("关键"));
            break;
        }
        if (passes) {
            expected.keys.append(KeyOf(post));
            expected.colours.append(colour);
        }
    }
    return expected;
}

class ReadingWalkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        home = new TempHome;
        thread = new ModelTestThread(kStarter, kPages);
        thread->StorePages(1, kPages, AuthorsOf, WordsOf);
        ASSERT_TRUE(
            SaveSomeBodyList(thread->DbFile(), {QStringLiteral("甲"), QStringLiteral("戊")}, 2));
        ASSERT_TRUE(SaveSomeBodyList(thread->DbFile(), {QStringLiteral("乙")}, 4));
        ASSERT_TRUE(SaveSomeBodyList(thread->DbFile(), {QStringLiteral("关键")}, 5));
        posts = new QList<ThreadPost>(thread->AllPosts());
    }
    static void TearDownTestSuite() {
        delete posts;
        delete thread;
        delete home;
    }

    static TempHome* home;
    static ModelTestThread* thread;
    static QList<ThreadPost>* posts;
};

TempHome* ReadingWalkTest::home = nullptr;
ModelTestThread* ReadingWalkTest::thread = nullptr;
QList<ThreadPost>* ReadingWalkTest::posts = nullptr;

TEST_F(ReadingWalkTest, EveryPassingPostIsShownOnceEachWayInStoredOrder) {
    ASSERT_EQ(posts->size(), kPages * 12);
    for (int mode = OnlyStarter; mode <= OnlyWords; ++mode) {
        SCOPED_TRACE(mode);
        const Expected expected = Filtered(*posts, mode);
        ASSERT_GT(expected.keys.size(), 3 * ScreenSize(mode)); // several screens each way
        ReadingModel model(thread->FollowNo());
        ASSERT_TRUE(model.Load());
        model.SetViewMode(mode);

        // Forward from the first screen.
        Expected shown;
        ReadingScreen screen;
        ASSERT_EQ(model.RunReadOperation(OpFirst), 1);
        for (int screens = 0;; ++screens) {
            ASSERT_LT(screens, expected.keys.size()) << "the walk does not end";
            model.GetScreen(screen);
            ASSERT_LE(screen.posts.size(), ScreenSize(mode));
            for (const ReadingPost& post : screen.posts) {
                shown.keys.append(KeyOf(post));
                shown.colours.append(post.colour);
            }
            if (screen.nextPage == 0)
                break;
            ASSERT_FALSE(screen.posts.isEmpty());
            ASSERT_EQ(model.RunReadOperation(OpNext), 1);
        }
        EXPECT_EQ(shown.keys, expected.keys);
        EXPECT_EQ(shown.colours, expected.colours);

        // Back from the newest screen.
        QList<QList<ReadingPost>> backScreens;
        ASSERT_EQ(model.RunReadOperation(OpLatest), 1);
        for (int screens = 0;; ++screens) {
            ASSERT_LT(screens, expected.keys.size()) << "the walk does not end";
            model.GetScreen(screen);
            ASSERT_LE(screen.posts.size(), ScreenSize(mode));
            backScreens.prepend(screen.posts);
            if (screen.previousPage == 0)
                break;
            ASSERT_FALSE(screen.posts.isEmpty());
            ASSERT_EQ(model.RunReadOperation(OpPrevious), 1);
        }
        shown = Expected();
        for (const QList<ReadingPost>& posts : backScreens) {
            for (const ReadingPost& post : posts) {
                shown.keys.append(KeyOf(post));
                shown.colours.append(post.colour);
            }
        }
        EXPECT_EQ(shown.keys, expected.keys);
        EXPECT_EQ(shown.colours, expected.colours);
    }
}

} // namespace

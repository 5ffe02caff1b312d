#include "reader/reading/PageRequests.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

QList<int> Pages(std::initializer_list<std::pair<int, int>> runs) {
    QList<int> pages;
    for (auto [from, to] : runs)
        for (int p = from; p <= to; ++p)
            pages.append(p);
    return pages;
}

class RecordingSink : public ServerRequestSink {
public:
    void QueueSmall(const SmallMessage& message) override { sent.push_back(message); }
    std::vector<SmallMessage> sent;
};

// A reading window's requests over a stored-page list that the test can change.
struct Requests {
    explicit Requests(QList<int> pages)
        : stored(std::move(pages)), requests(
                                        [this](QList<int>& out) {
                                            out = stored;
                                            return readable;
                                        },
                                        &sink) {}
    QList<int> stored;
    bool readable = true;
    RecordingSink sink;
    ReaderPageRequests requests;
};

ScreenEdges Screen(int first, int last, int pageCount, int hasPrevious = 0, int hasNext = 0) {
    return ScreenEdges{7, pageCount, first, last, hasPrevious, hasNext};
}

struct GapCase {
    const char* name;
    QList<int> stored;
    ScreenEdges screen;
    bool later; // which request
    bool sent;
    int b, c;
};

TEST(PageRequestsTest, GapsAroundTheScreen) {
    const std::vector<GapCase> cases = {
        {"pages after a gap, all pages of the follow stored", Pages({{1, 20}, {31, 40}}),
         Screen(15, 20, 35), true, true, 20, 30},
        {"pages of the follow not all stored: the server fills them", Pages({{1, 20}, {31, 40}}),
         Screen(15, 20, 45), true, false, 0, 0},
        {"a short gap ends at the next stored page", Pages({{1, 20}, {24, 30}}), Screen(15, 18, 20),
         true, true, 18, 24},
        {"screen inside the run: the gap after the run's end", Pages({{1, 20}, {40, 41}}),
         Screen(3, 5, 20), true, true, 5, 30},
        {"screen's last page is not stored", Pages({{1, 5}, {20, 21}}), Screen(6, 8, 1), true, true,
         8, 18},
        {"no gap after the run", Pages({{1, 20}}), Screen(15, 20, 20), true, false, 0, 0},
        {"a following screen exists", Pages({{1, 20}, {31, 40}}), Screen(15, 20, 35, 0, 1), true,
         false, 0, 0},
        {"newest posts without a start", Pages({{1, 20}, {31, 40}}), Screen(0, 20, 35), true, false,
         0, 0},
        {"range wider than 100 pages", Pages({{1, 200}, {300, 301}}), Screen(1, 102, 35), true,
         false, 0, 0},
        {"last page below the first counts as a huge range", Pages({{1, 20}, {31, 40}}),
         Screen(20, 15, 35), true, false, 0, 0},
        {"gap before the screen's run", Pages({{1, 5}, {21, 30}}), Screen(21, 24, 30), false, true,
         21, 11},
        {"run starts at 18, nothing below it", Pages({{18, 30}}), Screen(21, 24, 30), false, true,
         18, 8},
        {"short gap below: down to the stored page", Pages({{1, 12}, {16, 30}}), Screen(20, 22, 30),
         false, true, 16, 12},
        {"screen starts at page 1", Pages({{1, 30}}), Screen(1, 3, 30), false, false, 0, 0},
        {"run starts at page 1", Pages({{1, 30}}), Screen(21, 24, 30), false, false, 0, 0},
        {"run more than 50 pages below the screen", Pages({{5, 70}}), Screen(60, 62, 70), false,
         false, 0, 0},
        {"screen's first page not stored", Pages({{1, 5}, {21, 30}}), Screen(19, 24, 30), false,
         false, 0, 0},
        {"an earlier screen exists", Pages({{1, 5}, {21, 30}}), Screen(21, 24, 30, 1, 0), false,
         false, 0, 0},
    };
    for (const GapCase& test : cases) {
        SCOPED_TRACE(test.name);
        Requests r(test.stored);
        const bool sent = test.later ? r.requests.RequestLaterPages(test.screen)
                                     : r.requests.RequestEarlierPages(test.screen);
        EXPECT_EQ(sent, test.sent);
        ASSERT_EQ(r.sink.sent.size(), test.sent ? 1u : 0u);
        if (!test.sent)
            continue;
        const SmallMessage& m = r.sink.sent.front();
        EXPECT_EQ(m.code, test.later ? CDTReadNeedNext : CDTReadNeedLast);
        EXPECT_EQ(m.a, 7);
        EXPECT_EQ(m.b, test.b);
        EXPECT_EQ(m.c, test.c);
        EXPECT_EQ(test.later ? r.requests.LaterRequests() : r.requests.EarlierRequests(),
                  QList<int>{test.b});
    }
}

TEST(PageRequestsTest, APendingLaterRequestIsNotRepeatedUntilItsAnswer) {
    Requests r(Pages({{1, 20}, {31, 40}}));
    const ScreenEdges screen = Screen(15, 20, 35);
    ASSERT_TRUE(r.requests.RequestLaterPages(screen));
    EXPECT_FALSE(r.requests.RequestLaterPages(screen));
    // A screen ending nearer the run's end is covered by the same pending request.
    EXPECT_FALSE(r.requests.RequestLaterPages(Screen(12, 14, 35)));
    EXPECT_EQ(r.sink.sent.size(), 1u);

    // The answer arrives with the pages stored: the entry leaves, the next gap is asked for.
    r.stored = Pages({{1, 30}, {31, 40}, {55, 56}});
    r.requests.Answered(20);
    EXPECT_TRUE(r.requests.LaterRequests().isEmpty());
    ASSERT_TRUE(r.requests.RequestLaterPages(screen));
    EXPECT_EQ(r.sink.sent.back().b, 20);
    EXPECT_EQ(r.sink.sent.back().c, 50);
}

TEST(PageRequestsTest, PendingToleranceIsNinePagesBelowTheRunEdge) {
    // Run 1..20: an entry e blocks while e <= 20 and 20 - e < 9.
    for (auto [entry, blocks] : std::vector<std::pair<int, bool>>{{12, true}, {11, false}}) {
        Requests r(Pages({{1, 20}, {31, 40}}));
        ASSERT_TRUE(r.requests.RequestLaterPages(Screen(entry - 2, entry, 35)));
        EXPECT_EQ(r.requests.RequestLaterPages(Screen(18, 20, 35)), !blocks) << entry;
    }
    // Earlier: an entry e blocks while e >= p and e - p < 9.
    Requests r(Pages({{1, 5}, {21, 40}}));
    ASSERT_TRUE(r.requests.RequestEarlierPages(Screen(21, 22, 40)));
    EXPECT_FALSE(r.requests.RequestEarlierPages(Screen(21, 25, 40)));
    EXPECT_EQ(r.requests.EarlierRequests(), QList<int>{21});
}

TEST(PageRequestsTest, AnAnswerRemovesOneEqualEntryFromBothLists) {
    Requests r(Pages({{1, 5}, {21, 30}, {45, 50}}));
    ASSERT_TRUE(r.requests.RequestLaterPages(Screen(21, 21, 30)));
    ASSERT_TRUE(r.requests.RequestEarlierPages(Screen(21, 24, 30)));
    EXPECT_EQ(r.requests.LaterRequests(), QList<int>{21});
    EXPECT_EQ(r.requests.EarlierRequests(), QList<int>{21});
    r.requests.Answered(21);
    EXPECT_TRUE(r.requests.LaterRequests().isEmpty());
    EXPECT_TRUE(r.requests.EarlierRequests().isEmpty());
    r.requests.Answered(99); // unknown pages change nothing
}

TEST(PageRequestsTest, AnUnreadableDatabaseAsksNothing) {
    Requests r(Pages({{1, 20}, {31, 40}}));
    r.readable = false;
    EXPECT_FALSE(r.requests.RequestLaterPages(Screen(15, 20, 35)));
    EXPECT_FALSE(r.requests.RequestEarlierPages(Screen(31, 33, 35)));
    EXPECT_TRUE(r.sink.sent.empty());
}

} // namespace

#include "server/engine/WalkPlanner.h"

#include <gtest/gtest.h>

namespace {

QList<NavLink> links(std::initializer_list<int> pages) {
    QList<NavLink> list;
    for (int p : pages)
        list.append({p, QStringLiteral("http://f/p-%1").arg(p)});
    return list;
}

std::vector<std::pair<int, bool>> pagesOf(const std::vector<PlannedStep>& steps) {
    std::vector<std::pair<int, bool>> pages;
    for (const auto& s : steps)
        pages.push_back({s.link.pageNo, s.chain});
    return pages;
}

QList<int> range(int from, int to) {
    QList<int> pages;
    for (int p = from; p <= to; ++p)
        pages.append(p);
    return pages;
}

TEST(WalkPlanner, ForwardBatchChainsTheHighestPageUpToTheTarget) {
    using Steps = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(pagesOf(ForwardBatch(links({2, 3, 4, 5, 6, 7}), 15)),
              (Steps{{7, true}, {2, false}, {3, false}, {4, false}, {5, false}, {6, false}}));
    EXPECT_EQ(pagesOf(ForwardBatch(links({12, 13, 14, 15, 16, 17}), 15)),
              (Steps{{15, true}, {12, false}, {13, false}, {14, false}}));
    EXPECT_TRUE(ForwardBatch(links({16, 17}), 15).empty());
    EXPECT_TRUE(ForwardBatch({}, 15).empty());
}

TEST(WalkPlanner, BackwardBatchChainsTheLowestPageDownToTheTarget) {
    using Steps = std::vector<std::pair<int, bool>>;
    EXPECT_EQ(pagesOf(BackwardBatch(links({115, 116, 117, 118, 119}), 100)),
              (Steps{{115, true}, {119, false}, {118, false}, {117, false}, {116, false}}));
    EXPECT_EQ(pagesOf(BackwardBatch(links({98, 99, 100, 101, 102}), 100)),
              (Steps{{100, true}, {102, false}, {101, false}}));
    EXPECT_TRUE(BackwardBatch(links({95, 96}), 100).empty());
}

TEST(WalkPlanner, GapFiller) {
    const struct {
        const char* name;
        QList<int> stored;
        GapFill::Kind kind;
        int fromPage;
        bool threadAddress;
        int type;
        int target;
    } cases[] = {
        {"nothing stored", {}, GapFill::Nothing, 0, false, 0, 0},
        {"a whole short thread", range(1, 15), GapFill::Nothing, 0, false, 0, 0},
        {"gap of two below the newest run", range(1, 30) + range(33, 40),
         GapFill::RepairBelowNewest, 33, false, 4, 32},
        {"gap of four", range(1, 30) + range(35, 40), GapFill::RepairBelowNewest, 35, false, 4, 32},
        {"gap of one is left", range(1, 30) + range(32, 40), GapFill::Nothing, 0, false, 0, 0},
        {"newest 21 of a long thread, first pages next", range(100, 120),
         GapFill::CompleteFirstPages, 1, true, 3, 10},
        {"first pages partly there", range(1, 4) + range(100, 120), GapFill::CompleteFirstPages, 4,
         false, 3, 10},
        {"first ten there", range(1, 10) + range(100, 120), GapFill::Nothing, 0, false, 0, 0},
        {"first pages up to a stored page", range(1, 3) + QList<int>{6} + range(100, 120),
         GapFill::CompleteFirstPages, 3, false, 3, 5},
        {"too few pages stored for the first pages", QList<int>{1} + range(103, 120),
         GapFill::Nothing, 0, false, 0, 0},
        {"gap of three above low", range(80, 96) + range(100, 120), GapFill::CompleteFirstPages, 1,
         true, 3, 10},
        {"few pages stored, no first pages yet", QList<int>{120}, GapFill::Nothing, 0, false, 0, 0},
    };
    for (const auto& c : cases) {
        const GapFill fill = PlanGapFill(c.stored);
        EXPECT_EQ(fill.kind, c.kind) << c.name;
        if (fill.kind == GapFill::Nothing)
            continue;
        EXPECT_EQ(fill.fromPage, c.fromPage) << c.name;
        EXPECT_EQ(fill.useThreadAddress, c.threadAddress) << c.name;
        EXPECT_EQ(fill.type, c.type) << c.name;
        EXPECT_EQ(fill.target, c.target) << c.name;
    }
}

TEST(NewestPagesResumeTarget, Table) {
    const struct {
        const char* name;
        QList<int> stored;
        int target;
    } cases[] = {
        {"nothing stored", {}, 0},
        {"newest 21 all there", range(1, 10) + range(140, 160), 0},
        {"walk cut short at the newest page", QList<int>{160}, 140},
        {"a hole in the newest pages", range(140, 150) + range(152, 160), 140},
        {"short thread complete", range(1, 12), 0},
        {"short thread missing a page", range(1, 4) + range(6, 12), 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NewestPagesResumeTarget(c.stored), c.target) << c.name;
}

} // namespace

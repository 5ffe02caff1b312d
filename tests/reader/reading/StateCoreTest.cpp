#include "reader/reading/CStateCore.h"

#include <gtest/gtest.h>

namespace {

QList<int> PagesTo(int last) {
    QList<int> pages;
    for (int p = 1; p <= last; ++p)
        pages.append(p);
    return pages;
}

class CountingObserver : public CObserverClient {
public:
    void Update() override { ++updates; }
    int updates = 0;
};

TEST(StateCoreTest, ScreenOnPage430Of450ShowsTheLastGroup) {
    CStateCore core;
    CountingObserver observer;
    core.Attach(&observer);
    core.RefreshForScreen(PagesTo(450), 430, 431);
    EXPECT_EQ(core.GroupFirst(), 401);
    EXPECT_EQ(core.GroupLast(), 450);
    EXPECT_EQ(core.GroupLabel(), QStringLiteral("401页-450页"));
    EXPECT_TRUE(core.HasPreviousGroup());
    EXPECT_FALSE(core.HasNextGroup());
    EXPECT_EQ(observer.updates, 1);
    ASSERT_EQ(core.Cells().size(), 400u);
    EXPECT_EQ(core.Cells()[0], CellStored);      // 401
    EXPECT_EQ(core.Cells()[29], CellReading);    // 430
    EXPECT_EQ(core.Cells()[30], CellReading);    // 431
    EXPECT_EQ(core.Cells()[49], CellStored);     // 450
    EXPECT_EQ(core.Cells()[50], CellBeyondLast); // 451
}

TEST(StateCoreTest, CellStatesOfPagesOneTwoFive) {
    CStateCore core;
    core.RefreshForScreen({1, 2, 5}, 1, 1);
    const std::vector<int> expected = {CellReading, CellStored,     CellMissing,   CellMissing,
                                       CellStored,  CellBeyondLast, CellBeyondLast};
    EXPECT_EQ(std::vector<int>(core.Cells().begin(), core.Cells().begin() + 7), expected);
    EXPECT_EQ(core.GroupLabel(), QStringLiteral("1页-5页"));
    EXPECT_FALSE(core.HasPreviousGroup());
    EXPECT_FALSE(core.HasNextGroup());
}

TEST(StateCoreTest, NewPagesMoveTheGroupOnlyWhenFewPagesAreStored) {
    struct Case {
        QList<int> stored;
        int newest;
        int groupFirst;
    };
    // The screen is on page 1 while the strip shows the second group.
    const std::vector<Case> cases = {
        {{1, 2, 900}, 900, 1},                        // 3 stored: back to the start page's group
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 900}, 900, 401}, // 10 stored: the group stays
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 900}, 0, 1},     // newest 0: the start page's group
    };
    for (const Case& test : cases) {
        CStateCore core;
        core.RefreshForScreen(test.stored, 1, 1);
        core.MoveGroup(CStateCore::Next);
        ASSERT_EQ(core.GroupFirst(), 401);
        core.RefreshForNewPages(test.stored, 1, 1, test.newest);
        EXPECT_EQ(core.GroupFirst(), test.groupFirst) << test.stored.size() << " " << test.newest;
    }
}

TEST(StateCoreTest, NewPageInsideTheGroupExtendsItToTheLastStoredPage) {
    CStateCore core;
    core.RefreshForScreen(PagesTo(30), 5, 6);
    EXPECT_EQ(core.GroupLast(), 30);
    core.RefreshForNewPages(PagesTo(35), 5, 6, 35);
    EXPECT_EQ(core.GroupLast(), 35);
    EXPECT_EQ(core.Cells()[34], CellStored);
}

TEST(StateCoreTest, GroupMoves) {
    CStateCore core;
    core.RefreshForScreen(PagesTo(1000), 500, 501);
    EXPECT_EQ(core.GroupIndex(), 1);
    struct Step {
        CStateCore::GroupMove move;
        int first, last;
        bool previous, next;
    };
    const std::vector<Step> steps = {
        {CStateCore::Next, 801, 1000, true, false},   {CStateCore::Next, 801, 1000, true, false},
        {CStateCore::Previous, 401, 800, true, true}, {CStateCore::First, 1, 400, false, true},
        {CStateCore::Previous, 1, 400, false, true},  {CStateCore::Last, 801, 1000, true, false},
    };
    for (const Step& step : steps) {
        core.MoveGroup(step.move);
        EXPECT_EQ(core.GroupFirst(), step.first);
        EXPECT_EQ(core.GroupLast(), step.last);
        EXPECT_EQ(core.HasPreviousGroup(), step.previous);
        EXPECT_EQ(core.HasNextGroup(), step.next);
    }
    // No stored page: nothing moves.
    CStateCore empty;
    empty.MoveGroup(CStateCore::Last);
    EXPECT_EQ(empty.GroupFirst(), 1);
    EXPECT_TRUE(empty.Cells().empty());
}

TEST(StateCoreTest, NoRebuildForAnInconsistentRange) {
    CStateCore core;
    CountingObserver observer;
    core.Attach(&observer);
    core.RefreshForScreen({}, 1, 2);           // nothing stored
    core.RefreshForScreen(PagesTo(10), 5, 4);  // last below first
    core.RefreshForScreen(PagesTo(10), 5, 11); // beyond the last stored page
    EXPECT_EQ(observer.updates, 0);
    EXPECT_TRUE(core.Cells().empty());
}

TEST(StateCoreTest, NewestPostsWithoutAStartShowTheFirstGroup) {
    CStateCore core;
    core.RefreshForScreen(PagesTo(500), 0, 500);
    EXPECT_EQ(core.GroupFirst(), 1);
    EXPECT_EQ(core.GroupLast(), 400);
    EXPECT_EQ(core.Cells()[0], CellReading);
}

TEST(StateCoreTest, ClicksAndTooltipsByCellState) {
    CStateCore core;
    core.RefreshForScreen({1, 2, 5}, 2, 2);
    struct Case {
        int index;
        CellClick::Kind kind;
        int page;
        QString tooltip;
    };
    const std::vector<Case> cases = {
        {0, CellClick::ReadPage, 1, QStringLiteral("第1页--已下载页面，点击立即阅读")},
        {1, CellClick::Nothing, 2, QStringLiteral("第2页--正在阅读页面")}, // the start page
        {2, CellClick::FetchPage, 3, QStringLiteral("第3页--未下载页面，点击立即下载")},
        {6, CellClick::FetchPage, 7, QString()}, // after the last stored page
        {400, CellClick::Nothing, 0, QString()}, // outside the cells
    };
    for (const Case& test : cases) {
        const CellClick click = core.Click(test.index, 2);
        EXPECT_EQ(click.kind, test.kind) << test.index;
        EXPECT_EQ(click.page, test.page) << test.index;
        EXPECT_EQ(core.Tooltip(test.index), test.tooltip) << test.index;
    }
    // A reading cell that is not the start page reads it.
    core.RefreshForScreen({1, 2, 3, 4, 5}, 2, 4);
    EXPECT_EQ(core.Click(2, 2).kind, CellClick::ReadPage);
    // Before the first refresh there are no cells.
    EXPECT_EQ(CStateCore().Click(0, 0).kind, CellClick::Nothing);
}

TEST(StateCoreTest, CellGeometry) {
    const QList<QRect> rects = CellRectangles(201, 201);
    ASSERT_EQ(rects.size(), 400);
    EXPECT_EQ(rects[0], QRect(1, 1, 9, 9));
    EXPECT_EQ(rects[21], QRect(11, 11, 9, 9));
    EXPECT_EQ(rects[399], QRect(191, 191, 9, 9));
    EXPECT_EQ(CellIndexAt(0, 0), 0);
    EXPECT_EQ(CellIndexAt(195, 15), 39);
    EXPECT_EQ(CellIndexAt(15, 195), 381);
    EXPECT_EQ(CellIndexAt(200, 5), -1);
    EXPECT_EQ(CellRectangles(0, -5)[1], QRect(2, 1, 0, 0)); // degenerate sizes stay defined
}

} // namespace

#pragma once

#include <QList>
#include <QString>

#include <vector>

// The page-walk decisions that depend only on numbers and links, kept apart from the
// queues and documents so each rule can be checked on its own.

// A link to another page of the thread.
struct NavLink {
    int pageNo = 0;
    QString address;
};

// One request the walk wants queued: the chain's own next step (chain = true) keeps the
// task as it is; the others are leaf pages.
struct PlannedStep {
    NavLink link;
    bool chain = false;
};

// Forward batch: the links after the current page up to `target`; the highest of them
// continues the chain, the others follow from the lowest page up as leaves.
std::vector<PlannedStep> ForwardBatch(QList<NavLink> nextLinks, int target);

// Backward batch: the links before the current page down to `target`; the lowest of them
// continues the chain, the others follow from the highest page down as leaves.
std::vector<PlannedStep> BackwardBatch(QList<NavLink> prevLinks, int target);

// What the gap filler wants fetched after a walk.
struct GapFill {
    enum Kind { Nothing, RepairBelowNewest, CompleteFirstPages };
    Kind kind = Nothing;
    // The stored page whose address starts the walk; 1 with `useThreadAddress` when the
    // thread's own address (from the catalogue) is to be used.
    int fromPage = 0;
    bool useThreadAddress = false;
    int type = 0; // 4 (backward to the target) or 3 (forward to the target)
    int target = 0;
};

// `stored`: the stored page numbers in ascending order.
GapFill PlanGapFill(const QList<int>& stored);

// The lowest page of a thread's newest pages: 20 below the newest page, or page 1.
int NewestPagesLow(int lastPage);
// The target of a backward walk that completes the newest pages (from the newest stored page
// down to NewestPagesLow) when some of them are missing; 0 when they are all stored.
int NewestPagesResumeTarget(const QList<int>& stored);

// The newest pages a new long follow takes before its first ten.
inline constexpr int kNewestPagesOfNewFollow = 20;
// A start-up refresh further behind than this jumps to the last page.
inline constexpr int kStartupJumpDistance = 100;
inline constexpr int kFirstPagesToComplete = 10;

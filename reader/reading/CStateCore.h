#pragma once

#include "reader/reading/CObserver.h"

#include <QList>
#include <QRect>
#include <QString>

#include <vector>

// Cell states of the page state strip.
enum CellState : int {
    CellBeyondLast = 0, // after the last stored page: not drawn
    CellMissing = 1,
    CellStored = 2,
    CellReading = 3,
};

// What a click on a cell asks for.
struct CellClick {
    enum Kind { Nothing, ReadPage, FetchPage } kind = Nothing;
    int page = 0;
    int state = CellBeyondLast; // the clicked cell's state (for the help tips)
};

// The state of the strip: which pages of the shown group of 400 are stored, missing or
// being read. Pure logic; observers draw it.
class CStateCore : public CObserverSvr {
public:
    static constexpr int kGroupSize = 400;
    enum GroupMove { First, Previous, Next, Last };

    // After an operation finished: the group that holds the start page.
    void RefreshForScreen(const QList<int>& storedPages, int startPage, int endPage);
    // After new pages were stored (`stored` replaces the known pages).
    void RefreshForNewPages(const QList<int>& storedPages, int startPage, int endPage,
                            int newestPage);
    void SetRange(int startPage, int endPage, int newestPage);
    void MoveGroup(GroupMove move);
    void Rebuild();

    void SetStoredPages(const QList<int>& storedPages) { stored_ = storedPages; }

    // The click on cell `index` while the screen starts at `readingStart`.
    CellClick Click(int index, int readingStart) const;
    // The tooltip of cell `index`; empty for a cell after the last stored page.
    QString Tooltip(int index) const;

    const std::vector<int>& Cells() const { return cells_; }
    int GroupFirst() const { return groupFirst_; }
    int GroupLast() const { return groupLast_; }
    int GroupIndex() const { return groupIndex_; }
    bool HasPreviousGroup() const { return hasPreviousGroup_; }
    bool HasNextGroup() const { return hasNextGroup_; }
    int RangeFirst() const { return rangeFirst_; }
    int RangeLast() const { return rangeLast_; }
    QString GroupLabel() const;

private:
    void SetGroup(int index);
    void MoveToGroupOf(int page);
    int LastStored() const { return stored_.isEmpty() ? 0 : stored_.last(); }

    std::vector<int> cells_;
    QList<int> stored_;
    int rangeFirst_ = 0;
    int rangeLast_ = 0;
    int groupFirst_ = 1;
    int groupLast_ = kGroupSize;
    int groupIndex_ = 0;
    bool hasPreviousGroup_ = false;
    bool hasNextGroup_ = false;
};

// The 400 cell rectangles of a control of `width` x `height`: 20 to a row, one pixel apart.
QList<QRect> CellRectangles(int width, int height);
// The cell under a point, on the 10-pixel grid of the 201 x 201 layout.
int CellIndexAt(int x, int y);

#include "reader/reading/CStateCore.h"

#include <algorithm>

void CStateCore::SetGroup(int index) {
    groupIndex_ = index;
    groupFirst_ = kGroupSize * index + 1;
    groupLast_ = std::min(kGroupSize * index + kGroupSize, LastStored());
}

void CStateCore::MoveToGroupOf(int page) {
    // Signed division: a start page of 0 (newest posts, no start chosen) gives group 0.
    SetGroup((page - 1) / kGroupSize);
}

void CStateCore::RefreshForScreen(const QList<int>& storedPages, int startPage, int endPage) {
    stored_ = storedPages;
    if (stored_.isEmpty()) {
        rangeFirst_ = rangeLast_ = 0;
        groupIndex_ = 0;
        return;
    }
    rangeFirst_ = startPage;
    rangeLast_ = endPage;
    MoveToGroupOf(startPage);
    Rebuild();
}

void CStateCore::RefreshForNewPages(const QList<int>& storedPages, int startPage, int endPage,
                                    int newestPage) {
    stored_ = storedPages;
    SetRange(startPage, endPage, newestPage);
}

void CStateCore::SetRange(int startPage, int endPage, int newestPage) {
    if (stored_.isEmpty()) {
        rangeFirst_ = rangeLast_ = 0;
        groupIndex_ = 0;
        return;
    }
    rangeFirst_ = startPage;
    rangeLast_ = endPage;
    if (newestPage == 0) {
        MoveToGroupOf(startPage);
    } else if (newestPage >= groupFirst_ && newestPage <= groupFirst_ + kGroupSize - 1) {
        groupLast_ = std::min(groupFirst_ + kGroupSize - 1, LastStored());
    } else if (stored_.size() < 5) {
        MoveToGroupOf(startPage);
    }
    Rebuild();
}

void CStateCore::MoveGroup(GroupMove move) {
    if (stored_.isEmpty())
        return;
    int index = groupIndex_;
    switch (move) {
    case First:
        index = 0;
        break;
    case Previous:
        if (index > 0)
            --index;
        break;
    case Next:
        if (kGroupSize * index + kGroupSize < LastStored())
            ++index;
        break;
    case Last:
        index = (LastStored() - 1) / kGroupSize;
        break;
    }
    SetGroup(index);
    Rebuild();
}

void CStateCore::Rebuild() {
    if (stored_.isEmpty() || rangeLast_ < rangeFirst_ || LastStored() < rangeLast_)
        return;
    const int last = LastStored();
    hasNextGroup_ = groupLast_ < last;
    hasPreviousGroup_ = groupFirst_ != 1;
    cells_.assign(kGroupSize, CellBeyondLast);
    for (int i = 0; i < kGroupSize; ++i)
        if (last >= groupFirst_ + i)
            cells_[i] = CellMissing;
    for (int page : stored_)
        if (page >= groupFirst_ && page <= groupLast_)
            cells_[page - groupFirst_] = CellStored;
    const int from = std::max(rangeFirst_, groupFirst_);
    const int to = std::min(rangeLast_, groupLast_);
    for (int page = from; page <= to; ++page)
        cells_[page - groupFirst_] = CellReading;
    Notify();
}

CellClick CStateCore::Click(int index, int readingStart) const {
    CellClick click;
    if (index < 0 || index >= static_cast<int>(cells_.size()))
        return click;
    click.page = groupFirst_ + index;
    click.state = cells_[index];
    if (click.state == CellStored || click.state == CellReading)
        click.kind = click.page != readingStart ? CellClick::ReadPage : CellClick::Nothing;
    else
        click.kind = CellClick::FetchPage;
    return click;
}

QString CStateCore::Tooltip(int index) const {
    if (index < 0 || index >= static_cast<int>(cells_.size()))
        return {};
    const int page = groupFirst_ + index;
    switch (cells_[index]) {
    case CellMissing:
        return QStringLiteral("第%1页--未下载页面，点击立即下载").arg(page);
    case CellStored:
        return QStringLiteral("第%1页--已下载页面，点击立即阅读").arg(page);
    case CellReading:
        return QStringLiteral("第%1页--正在阅读页面").arg(page);
    default:
        return {};
    }
}

QString CStateCore::GroupLabel() const {
    return QStringLiteral("%1页-%2页").arg(groupFirst_).arg(groupLast_);
}

QList<QRect> CellRectangles(int width, int height) {
    const int cellWidth = std::max(1, (width - 1) / 20);
    const int cellHeight = std::max(1, (height - 1) / 20);
    QList<QRect> rects;
    rects.reserve(CStateCore::kGroupSize);
    for (int row = 0; row < 20; ++row)
        for (int column = 0; column < 20; ++column)
            // From 1 + c*w to c*w + w exclusive: w - 1 pixels, a gap of one.
            rects.append(
                QRect(1 + column * cellWidth, 1 + row * cellHeight, cellWidth - 1, cellHeight - 1));
    return rects;
}

int CellIndexAt(int x, int y) {
    // The border pixel right of the last column belongs to no cell (not the next row's first).
    if (x < 0 || y < 0 || x / 10 >= 20)
        return -1;
    return x / 10 + (y / 10) * 20;
}

#include "reader/view/CStateCtl.h"

#include <QMouseEvent>
#include <QPainter>

CStateCtl::CStateCtl(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor CStateCtl::CellColour(int state) {
    switch (state) {
    case CellMissing:
        return QColor(192, 192, 192);
    case CellStored:
        return QColor(0, 128, 128);
    case CellReading:
        return QColor(0, 255, 0);
    default:
        return Qt::white;
    }
}

void CStateCtl::Update() {
    if (!core_)
        return;
    cells_ = core_->Cells();
    groupFirst_ = core_->GroupFirst();
    groupLast_ = core_->GroupLast();
    lastCell_ = -1; // the tooltip names the new group's page at the next move
    update();
}

void CStateCtl::resizeEvent(QResizeEvent*) {
    rects_ = CellRectangles(width(), height());
}

void CStateCtl::paintEvent(QPaintEvent*) {
    // Qt paints widgets double-buffered already.
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (cells_.empty() || rects_.size() < static_cast<qsizetype>(cells_.size()))
        return;
    for (size_t i = 0; i < cells_.size(); ++i)
        if (cells_[i] != CellBeyondLast)
            painter.fillRect(rects_[static_cast<qsizetype>(i)], CellColour(cells_[i]));
}

void CStateCtl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    const int index = CellIndexAt(p.x(), p.y());
    if (index < 0 || index == lastCell_ || index >= static_cast<int>(cells_.size()) || !core_)
        return;
    lastCell_ = index;
    setToolTip(core_->Tooltip(index));
}

void CStateCtl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !core_ || rects_.isEmpty())
        return;
    const QPoint p = event->position().toPoint();
    const int index = CellIndexAt(p.x(), p.y());
    const CellClick click =
        core_->Click(index, readingStart_ ? readingStart_() : core_->RangeFirst());
    if (click.page == 0)
        return;
    if (click.kind == CellClick::ReadPage)
        emit ReadPageRequested(click.page);
    else if (click.kind == CellClick::FetchPage)
        emit FetchPageRequested(click.page);
    emit CellClicked(click.state);
}

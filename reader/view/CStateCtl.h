#pragma once

#include "reader/reading/CStateCore.h"

#include <QWidget>

#include <functional>

// The square of page cells: draws the core's cells, names a cell's page and state in its
// tooltip, and turns a click into a read or a fetch of that page.
class CStateCtl : public QWidget, public CObserverClient {
    Q_OBJECT
public:
    explicit CStateCtl(QWidget* parent = nullptr);

    void SetCore(const CStateCore* core) { core_ = core; }
    // The page on which the reading window's screen starts (a click there does nothing).
    void SetReadingStart(std::function<int()> readingStart) {
        readingStart_ = std::move(readingStart);
    }

    void Update() override;

    const std::vector<int>& Cells() const { return cells_; }
    int LastHoveredCell() const { return lastCell_; }
    static QColor CellColour(int state);

signals:
    // A stored page to read, a missing page to fetch; `state` is the clicked cell's.
    void ReadPageRequested(int page);
    void FetchPageRequested(int page);
    void CellClicked(int state);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const CStateCore* core_ = nullptr;
    std::function<int()> readingStart_;
    std::vector<int> cells_;
    int groupFirst_ = 1;
    int groupLast_ = CStateCore::kGroupSize;
    QList<QRect> rects_;
    int lastCell_ = -1;
};

#include "skin/CSkinListCtrlBase.h"

#include "skin/CSkinHeaderCtrl.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QHoverEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

constexpr int kProgressFrameBitmap = 331;
constexpr int kProgressFillBitmap = 332;

// Gives every row the list's fixed height; drawing is the list's own.
class RowHeightDelegate : public QStyledItemDelegate {
public:
    RowHeightDelegate(const int* height, QObject* parent)
        : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), *height_);
    }

private:
    const int* height_;
};

// Draws a bitmap nine-sliced and magenta-keyed; bitmaps are keyed once per ratio.
void DrawKeyed(QPainter& painter, int id, const QRect& target) {
    static QHash<int, QImage> keyed;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const int key = id * 2 + (ratio > 1.0 ? 1 : 0);
    auto found = keyed.find(key);
    if (found == keyed.end())
        found = keyed.insert(key, KeyedCopy(LoadSkinBitmap(id, ratio), CurrentSkin().buttonKey));
    const QImage& image = *found;
    if (image.isNull())
        return;
    const QSize size(qRound(image.width() / image.devicePixelRatio()),
                     qRound(image.height() / image.devicePixelRatio()));
    NineSliceStretch(painter, target, image, DefaultNineSliceMargins(size), true);
}

} // namespace

CSkinListCtrlBase::ProgressLayout CSkinListCtrlBase::LayoutProgressCell(const QRect& cell,
                                                                        int value) {
    ProgressLayout layout;
    layout.value = qBound(0, value, 100);
    layout.text = QStringLiteral("%1%").arg(layout.value);
    if (cell.width() <= 40)
        return layout;
    layout.visible = true;
    layout.frame = QRect(cell.x() + 5, cell.y() + (cell.height() - 15) / 2, cell.width() - 10, 15);
    layout.fill = QRect(layout.frame.x() + 1, layout.frame.y() + 1,
                        (layout.frame.width() - 2) * layout.value / 100, 13);
    return layout;
}

CSkinListCtrlBase::CSkinListCtrlBase(QWidget* parent) : QTreeView(parent) {
    RegisterSkinWindow(this);
    const SkinSettings& skin = CurrentSkin();
    rowHeight_ = skin.listRowHeight;
    header_ = new CSkinHeaderCtrl(this);
    setHeader(header_);
    header_->setStretchLastSection(true);
    setItemDelegate(new RowHeightDelegate(&rowHeight_, this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_Hover);
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Plain);
    setLineWidth(1);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, skin.listBorder);
    p.setColor(QPalette::Base, skin.listEvenRow);
    p.setColor(QPalette::Disabled, QPalette::Base, skin.listDisabled);
    p.setColor(QPalette::Disabled, QPalette::WindowText, skin.listBorder);
    setPalette(p);
    header_->setPalette(QPalette());
    // Slim scroll bars in the skin's colours instead of the platform's.
    const QString bar = QStringLiteral(
        "QScrollBar { background: #f3f5f7; border: none; margin: 0; }"
        "QScrollBar:vertical { width: 10px; } QScrollBar:horizontal { height: 10px; }"
        "QScrollBar::handle { background: #c5cdd5; border-radius: 3px; margin: 2px; }"
        "QScrollBar::handle:vertical { min-height: 24px; }"
        "QScrollBar::handle:horizontal { min-width: 24px; }"
        "QScrollBar::handle:hover { background: #a7b3bf; }"
        "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; border: none; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");
    verticalScrollBar()->setStyleSheet(bar);
    horizontalScrollBar()->setStyleSheet(bar);
}

CSkinListCtrlBase::~CSkinListCtrlBase() {
    UnregisterSkinWindow(this);
}

void CSkinListCtrlBase::SetRowHeight(int pixels) {
    rowHeight_ = qMax(1, pixels);
    // The view caches uniform row heights; a fresh layout picks up the new one.
    doItemsLayout();
    viewport()->update();
}

void CSkinListCtrlBase::SetProgressColumn(int column) {
    progressColumn_ = column;
    viewport()->update();
}

void CSkinListCtrlBase::SetOwnerDrawColumn(int column, OwnerDraw draw) {
    ownerDrawColumn_ = column;
    ownerDraw_ = std::move(draw);
    viewport()->update();
}

void CSkinListCtrlBase::SetGridLines(bool on) {
    gridLines_ = on;
    viewport()->update();
}

void CSkinListCtrlBase::SetShowSelectionAlways(bool on) {
    showSelectionAlways_ = on;
    viewport()->update();
}

void CSkinListCtrlBase::SetHoverRow(int row) {
    if (row == hoverRow_)
        return;
    hoverRow_ = row;
    viewport()->update();
}

bool CSkinListCtrlBase::viewportEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::HoverMove:
    case QEvent::HoverEnter: {
        const QModelIndex index = indexAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        SetHoverRow(index.isValid() ? index.row() : -1);
        break;
    }
    case QEvent::HoverLeave:
    case QEvent::Leave:
        SetHoverRow(-1);
        break;
    default:
        break;
    }
    return QTreeView::viewportEvent(event);
}

void CSkinListCtrlBase::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        viewport()->update();
    QTreeView::changeEvent(event);
}

void CSkinListCtrlBase::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const SkinSettings& skin = CurrentSkin();
    const int row = index.row();
    const QRect rowRect(0, option.rect.y(), viewport()->width(), option.rect.height());

    // 1. The row's ground, 2. the selection or the hover colour.
    QColor ground =
        !isEnabled() ? skin.listDisabled : (row % 2 == 0 ? skin.listEvenRow : skin.listOddRow);
    painter->fillRect(rowRect, ground);
    const bool selected = selectionModel() && selectionModel()->isRowSelected(row, index.parent());
    const int columns = model() ? model()->columnCount(index.parent()) : 0;
    int itemRight = 0;
    for (int c = 0; c < columns; ++c) {
        if (!header_->isSectionHidden(c))
            itemRight =
                qMax(itemRight, header_->sectionViewportPosition(c) + header_->sectionSize(c));
    }
    const QRect itemRect(rowRect.x(), rowRect.y(), qMax(0, itemRight), rowRect.height());
    if (selected && isEnabled()) {
        const bool focused = hasFocus() || showSelectionAlways_;
        painter->fillRect(itemRect, focused ? skin.listSelectedFocused : skin.listSelected);
    } else if (row == hoverRow_ && isEnabled()) {
        painter->fillRect(itemRect, skin.listHover);
    }

    // 3. The cells.
    const QModelIndex first = index.sibling(row, 0);
    QColor rowColour = skin.listText;
    const QVariant rowColourData = first.data(RowTextColourRole);
    if (rowColourData.canConvert<QColor>() && rowColourData.value<QColor>().isValid())
        rowColour = rowColourData.value<QColor>();
    painter->save();
    painter->setFont(font());
    const QFontMetrics metrics(font());
    for (int c = 0; c < columns; ++c) {
        if (header_->isSectionHidden(c))
            continue;
        const QRect cell(header_->sectionViewportPosition(c), rowRect.y(), header_->sectionSize(c),
                         rowRect.height());
        if (cell.right() < 0 || cell.left() > viewport()->width())
            continue;
        const QModelIndex cellIndex = index.sibling(row, c);
        QColor colour = rowColour;
        const QVariant cellColour = cellIndex.data(Qt::ForegroundRole);
        if (cellColour.canConvert<QColor>() && cellColour.value<QColor>().isValid())
            colour = cellColour.value<QColor>();
        if (selected)
            colour = skin.listSelectedText;
        painter->setClipRect(cell);
        if (c == ownerDrawColumn_ && ownerDraw_) {
            ownerDraw_(*painter, cell, cellIndex, selected);
        } else if (c == progressColumn_) {
            DrawProgress(*painter, cell, cellIndex, colour);
        } else {
            painter->setPen(colour);
            const QString text = QLatin1Char(' ') + cellIndex.data(Qt::DisplayRole).toString();
            painter->drawText(cell.adjusted(2, 0, -2, 0),
                              Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                              metrics.elidedText(text, Qt::ElideRight, cell.width() - 4));
        }
        painter->setClipping(false);
    }
    painter->restore();

    // 4. The grid line along the bottom of the row.
    if (gridLines_) {
        painter->fillRect(QRect(rowRect.left(), rowRect.bottom(), rowRect.width(), 1),
                          skin.listGrid);
    }
}

void CSkinListCtrlBase::DrawProgress(QPainter& painter, const QRect& cell, const QModelIndex& index,
                                     const QColor& textColour) const {
    const QVariant explicitValue = index.data(ProgressRole);
    const int value = explicitValue.isValid() ? explicitValue.toInt()
                                              : index.data(Qt::DisplayRole).toString().toInt();
    painter.save();
    PaintProgressCell(painter, cell, value, textColour, font());
    painter.restore();
}

void CSkinListCtrlBase::PaintProgressCell(QPainter& painter, const QRect& cell, int value,
                                          const QColor& textColour, const QFont& font) {
    const ProgressLayout layout = LayoutProgressCell(cell, value);
    if (!layout.visible)
        return;
    DrawKeyed(painter, kProgressFrameBitmap, layout.frame);
    if (layout.fill.width() > 0)
        DrawKeyed(painter, kProgressFillBitmap, layout.fill);
    QFont small = font;
    small.setPixelSize(qMax(9, small.pixelSize() > 0 ? small.pixelSize() - 2 : 11));
    painter.setFont(small);
    // The text is light where it lies over the fill and in the row's colour elsewhere, so it
    // reads at every value.
    painter.save();
    painter.setClipRegion(QRegion(cell).subtracted(QRegion(layout.fill)));
    painter.setPen(textColour);
    painter.drawText(layout.frame, Qt::AlignCenter | Qt::TextSingleLine, layout.text);
    if (!layout.fill.isEmpty()) {
        painter.setClipRect(layout.fill);
        painter.setPen(QColor(255, 255, 255));
        painter.drawText(layout.frame, Qt::AlignCenter | Qt::TextSingleLine, layout.text);
    }
    painter.restore();
    painter.setFont(font);
}

#pragma once

#include <QColor>
#include <QTreeView>

#include <functional>

class CSkinHeaderCtrl;

// An owner-drawn report list with the skin's look, over any item model: fixed row height,
// even and odd row colours, the selected row in the focused or unfocused selection colour,
// the row under the mouse highlighted, a grid line below each row, a one-pixel border, and a
// CSkinHeaderCtrl header. One column may show a progress bar (percentage), one may be drawn
// by the window. Cell texts are single-line with an ellipsis and one blank in front.
//
// Text colours: RowTextColourRole on column 0 colours the whole row; Qt::ForegroundRole on a
// cell colours that cell. A selected row uses the skin's selected text colour.
class CSkinListCtrlBase : public QTreeView {
    Q_OBJECT
public:
    // A QColor on column 0: the text colour of the whole row.
    static constexpr int RowTextColourRole = Qt::UserRole + 100;
    // An int in a progress cell: its percentage (else the display text read as a number).
    static constexpr int ProgressRole = Qt::UserRole + 101;

    using OwnerDraw = std::function<void(QPainter& painter, const QRect& cell,
                                         const QModelIndex& index, bool selected)>;

    // Where a progress cell draws: nothing when the cell is 40 pixels wide or narrower;
    // otherwise a 15-pixel frame at x + 5, cell width - 10, vertically centred, a fill of
    // (frame width - 2) x value / 100 inside it, and the clamped value as "%d%" text.
    struct ProgressLayout {
        bool visible = false;
        int value = 0;
        QRect frame;
        QRect fill;
        QString text;
    };
    static ProgressLayout LayoutProgressCell(const QRect& cell, int value);
    // Draws a progress cell as the list does: the frame, the fill and the percentage in a
    // font two pixels smaller than `font`, light over the fill and `textColour` elsewhere.
    static void PaintProgressCell(QPainter& painter, const QRect& cell, int value,
                                  const QColor& textColour, const QFont& font);

    explicit CSkinListCtrlBase(QWidget* parent = nullptr);
    ~CSkinListCtrlBase() override;

    void SetRowHeight(int pixels);
    int RowHeight() const { return rowHeight_; }
    // The progress column (-1 for none).
    void SetProgressColumn(int column);
    int ProgressColumn() const { return progressColumn_; }
    // The owner-drawn column (-1 for none) and its drawing function.
    void SetOwnerDrawColumn(int column, OwnerDraw draw);
    void SetGridLines(bool on);
    // Draw the selection in the focused colour even when the list has no focus.
    void SetShowSelectionAlways(bool on);

    // The row under the mouse, -1 when none.
    int HoverRow() const { return hoverRow_; }
    CSkinHeaderCtrl* SkinHeader() const { return header_; }

protected:
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHoverRow(int row);
    void DrawProgress(QPainter& painter, const QRect& cell, const QModelIndex& index,
                      const QColor& textColour) const;

    CSkinHeaderCtrl* header_ = nullptr;
    int rowHeight_ = 30;
    int progressColumn_ = -1;
    int ownerDrawColumn_ = -1;
    OwnerDraw ownerDraw_;
    bool gridLines_ = true;
    bool showSelectionAlways_ = false;
    int hoverRow_ = -1;
};

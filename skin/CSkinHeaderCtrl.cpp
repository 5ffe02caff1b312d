#include "skin/CSkinHeaderCtrl.h"

#include "skin/SkinSettings.h"

#include <QPainter>

CSkinHeaderCtrl::CSkinHeaderCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    background_.SetSourceBitmap(kBackgroundBitmap);
    background_.SetFillCentre(true);
    textColour_ = CurrentSkin().headerText;
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHighlightSections(false);
    setSectionsClickable(false);
    // Columns keep the widths the windows give them, narrow ones included.
    setMinimumSectionSize(8);
}

void CSkinHeaderCtrl::SetTextColour(const QColor& colour) {
    textColour_ = colour;
    viewport()->update();
}

QSize CSkinHeaderCtrl::sizeHint() const {
    QSize hint = QHeaderView::sizeHint();
    const QSize bitmap = background_.SourceSize();
    hint.setHeight(qMax(fontMetrics().height() + 10, bitmap.isEmpty() ? 28 : bitmap.height()));
    return hint;
}

void CSkinHeaderCtrl::paintEvent(QPaintEvent*) {
    QWidget* port = viewport();
    background_.Render(port->size(), port->devicePixelRatioF());
    QPainter painter(port);
    background_.DrawTo(painter);
    painter.setFont(font());
    const QFontMetrics metrics(font());
    for (int visual = 0; visual < count(); ++visual) {
        const int logical = logicalIndex(visual);
        if (isSectionHidden(logical))
            continue;
        const int x = sectionViewportPosition(logical);
        const int w = sectionSize(logical);
        if (x + w < 0 || x > port->width())
            continue;
        const QRect cell(x, 0, w, port->height());
        const QString text =
            model() ? model()->headerData(logical, orientation(), Qt::DisplayRole).toString()
                    : QString();
        painter.setPen(textColour_);
        const QRect textRect = cell.adjusted(4, 0, -4, 0);
        painter.drawText(
            textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            metrics.elidedText(QLatin1Char(' ') + text, Qt::ElideRight, textRect.width()));
        painter.setPen(CurrentSkin().headerSeparator);
        painter.drawLine(cell.right(), cell.top() + 7, cell.right(), cell.bottom() - 7);
    }
}

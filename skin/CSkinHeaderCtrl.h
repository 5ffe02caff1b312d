#pragma once

#include "skin/CStretchDC.h"

#include <QColor>
#include <QHeaderView>

// The header of a skinned list: background bitmap 330 nine-sliced to its size, column texts
// single-line with an ellipsis in the header's text colour, a thin separator between columns.
class CSkinHeaderCtrl : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int kBackgroundBitmap = 330;

    explicit CSkinHeaderCtrl(QWidget* parent = nullptr);

    void SetTextColour(const QColor& colour);
    int BackgroundRenderCount() const { return background_.RenderCount(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CStretchDC background_;
    QColor textColour_;
};

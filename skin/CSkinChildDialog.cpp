#include "skin/CSkinChildDialog.h"

#include "skin/SkinSettings.h"

#include <QPainter>

CSkinChildDialog::CSkinChildDialog(QWidget* parent) : QWidget(parent) {
    RegisterSkinWindow(this);
    background_.SetFillCentre(true);
}

CSkinChildDialog::~CSkinChildDialog() {
    UnregisterSkinWindow(this);
}

void CSkinChildDialog::SetBackgroundBitmap(int resourceId) {
    background_.SetSourceBitmap(resourceId);
    update();
}

void CSkinChildDialog::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void CSkinChildDialog::OnSkinPaint(QPainter&) {}

void CSkinChildDialog::paintEvent(QPaintEvent*) {
    if (skinGeneration_ != SkinGeneration()) {
        skinGeneration_ = SkinGeneration();
        background_.MarkStale();
    }
    const qreal ratio = devicePixelRatioF();
    background_.Render(size(), ratio);
    surface_.CreateSurface(size(), ratio);
    if (surface_.IsEmpty())
        return;
    {
        QPainter painter(&surface_.Image());
        background_.DrawTo(painter);
        if (!title_.isEmpty()) {
            QFont bold = font();
            bold.setBold(true);
            painter.setFont(bold);
            painter.setPen(CurrentSkin().titleText);
            painter.drawText(QRect(4, 8, qMax(0, width() - 8), qMax(0, height() - 8)),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, title_);
        }
        OnSkinPaint(painter);
    }
    // Without a background of its own the surface is transparent where nothing was drawn, and
    // the parent's painting shows through.
    QPainter painter(this);
    surface_.DrawTo(painter);
}

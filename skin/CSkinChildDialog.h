#pragma once

#include "skin/CSkinBase.h"
#include "skin/CStretchDC.h"

#include <QWidget>

// A tab page or embedded panel with the skin's look: an optional background bitmap nine-sliced
// to its size (without one, the parent shows through), an optional bold title at (4, 8), and
// the OnSkinPaint hook. Children are laid out with ordinary Qt layouts.
class CSkinChildDialog : public QWidget, public CSkinBase {
    Q_OBJECT
public:
    // The skin's panel background, used by the tab pages.
    static constexpr int kPanelBitmap = 147;

    explicit CSkinChildDialog(QWidget* parent = nullptr);
    ~CSkinChildDialog() override;

    // The background bitmap by resource number (0 for none).
    void SetBackgroundBitmap(int resourceId);
    void SetTitle(const QString& title);
    QString Title() const { return title_; }

    // The rendered background (empty without a background bitmap).
    const CBitmapDC* BackgroundSurface() const override { return &background_; }
    int BackgroundRenderCount() const { return background_.RenderCount(); }

protected:
    // Called during painting after the background and title, on the off-screen surface.
    virtual void OnSkinPaint(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;

private:
    CStretchDC background_;
    CBitmapDC surface_;
    QString title_;
    int skinGeneration_ = -1;
};

#pragma once

#include "skin/CSkinBase.h"
#include "skin/CStretchDC.h"

#include <QDialog>
#include <QImage>

class CBmpButton;

// A top-level dialog with the skin's look: no system frame, a painted frame (bitmap 101,
// nine-sliced, pure green outside the window shape), caption text and icon, and the close,
// maximise and minimise caption buttons. A drop-in QDialog: lay out children with ordinary Qt
// layouts; the contents margins keep them inside the client area below the caption band.
//
// Behaviour:
// - A press within 7 pixels of a corner or 4 pixels of an edge of a resizable window starts a
//   resize (with the matching cursor on hover); a drag from anywhere else moves the window.
// - A double click in the top 30 pixels of a resizable window maximises or restores it; a
//   maximised window fills the work area of its screen.
// - Close sends a close request; maximise toggles (resizable windows only); minimise
//   minimises, or hides the window when SetMinimiseHides(true).
//
// Dialogs that draw extra content override OnSkinPaint, which is called after the frame and
// caption are drawn into the off-screen surface.
//
// As any QDialog, Esc rejects (closes) the window; a main window that must not close on Esc
// overrides reject() or keyPressEvent. Without a parent the window is a top-level Qt::Window
// (with a task-bar entry); with one it is a Qt::Dialog over its parent.
class CSkinDialogEx : public QDialog, public CSkinBase {
    Q_OBJECT
public:
    static constexpr int kCloseButtonId = 10024;
    static constexpr int kMaximiseButtonId = 10025;
    static constexpr int kMinimiseButtonId = 10026;

    explicit CSkinDialogEx(QWidget* parent = nullptr);
    ~CSkinDialogEx() override;

    // The caption text; it is also the window title (setWindowTitle works the same).
    void SetSkinCaption(const QString& text);
    QString SkinCaption() const;
    // Shows the skin's caption icon (icon 128) left of the caption and uses it as window icon.
    void SetSkinIcon();
    // The smallest size the user can resize the window to.
    void SetMinTrackSize(int width, int height);

    // Window style: a dialog starts with no minimise box, no maximise box and a fixed size.
    void SetMinimiseBox(bool on);
    void SetMaximiseBox(bool on);
    void SetResizable(bool on);
    bool HasMinimiseBox() const { return minimiseBox_; }
    bool HasMaximiseBox() const { return maximiseBox_; }
    bool IsResizable() const { return resizable_; }
    // The minimise button hides the window instead of minimising it.
    void SetMinimiseHides(bool hides) { minimiseHides_ = hides; }

    bool IsSkinMaximised() const { return maximised_; }
    // Maximises to the screen's work area, or restores the size before.
    void ToggleMaximise();

    // The caption buttons; a window may hide any of them.
    CBmpButton* CloseButton() const { return closeButton_; }
    CBmpButton* MaximiseButton() const { return maximiseButton_; }
    CBmpButton* MinimiseButton() const { return minimiseButton_; }

    // The resize edges of a press at `pos` in a window of `size`: two edges within 7 pixels of
    // a corner, one within 4 pixels of an edge, none elsewhere.
    static Qt::Edges ResizeEdgesAt(QSize size, QPoint pos);

    // The rendered frame at the current size (with the key pixels cleared).
    const CBitmapDC* BackgroundSurface() const override { return &frame_; }
    const CStretchDC& FrameSurface() const { return frame_; }

protected:
    // Called during painting after the frame and caption, on the off-screen surface.
    virtual void OnSkinPaint(QPainter& painter);

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class Drag { None, Pending, Move, Resize };

    // Renders the frame when its size, ratio or the skin changed, and reshapes the window.
    void RefreshFrame();
    void UpdateCaptionButtons();
    void LayoutCaptionButtons();
    void OnMinimise();

    CStretchDC frame_;
    CBitmapDC surface_;
    QImage icon_;
    int skinGeneration_ = -1;
    CBmpButton* closeButton_ = nullptr;
    CBmpButton* maximiseButton_ = nullptr;
    CBmpButton* minimiseButton_ = nullptr;
    bool minimiseBox_ = false;
    bool maximiseBox_ = false;
    bool resizable_ = false;
    bool minimiseHides_ = false;
    bool maximised_ = false;
    QRect restoreGeometry_;

    Drag drag_ = Drag::None;
    Qt::Edges dragEdges_;
    QPoint pressGlobal_;
    QRect pressGeometry_;
};

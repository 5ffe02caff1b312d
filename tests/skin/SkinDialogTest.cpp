// The skinned dialog: caption buttons, the green-key window shape, moving, resizing and
// maximising with the mouse, the painting hook and the render-once rule.
#include "skin/CBmpButton.h"
#include "skin/CSkinChildDialog.h"
#include "skin/CSkinDialogEx.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

void Mouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
           Qt::MouseButtons buttons) {
    const QPointF global = w->mapToGlobal(QPointF(local));
    QMouseEvent event(type, QPointF(local), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Presses at `from`, moves by `delta` in a few steps and releases, as a user's drag.
void Drag(QWidget* w, QPoint from, QPoint delta) {
    Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const QPoint startGlobal = w->mapToGlobal(from);
    for (int step = 1; step <= 4; ++step) {
        // Positions are given from the press point in screen terms, as the window moves.
        const QPoint global = startGlobal + delta * step / 4;
        QMouseEvent event(QEvent::MouseMove, QPointF(w->mapFromGlobal(global)), QPointF(global),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
    const QPoint end = w->mapFromGlobal(startGlobal + delta);
    Mouse(w, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

std::unique_ptr<CSkinDialogEx> ShownDialog(QSize size, bool resizable, bool minBox = true,
                                           bool maxBox = true) {
    auto dialog = std::make_unique<CSkinDialogEx>();
    dialog->SetMinimiseBox(minBox);
    dialog->SetMaximiseBox(maxBox);
    dialog->SetResizable(resizable);
    dialog->SetMinTrackSize(200, 120);
    dialog->setGeometry(QRect(QPoint(100, 80), size));
    dialog->show();
    QApplication::processEvents();
    return dialog;
}

} // namespace

// Which caption buttons show and where: close rightmost 10 pixels from the right edge and 3
// from the top, then maximise, then minimise; a dialog without the two boxes shows only close.
TEST(CSkinDialogEx, CaptionButtonsByWindowStyle) {
    struct Case {
        bool minBox, maxBox, resizable;
        int closeX, maxX, minX; // -1: hidden
    };
    const Case cases[] = {
        {false, false, false, 360, -1, -1},
        {true, false, false, 360, -1, 330},
        {true, true, true, 360, 330, 300},
        {false, true, true, 360, 330, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "min " << c.minBox << " max " << c.maxBox);
        auto dialog = ShownDialog(QSize(400, 240), c.resizable, c.minBox, c.maxBox);
        const auto place = [&](CBmpButton* b) { return b->isVisible() ? b->x() : -1; };
        EXPECT_EQ(place(dialog->CloseButton()), c.closeX);
        EXPECT_EQ(place(dialog->MaximiseButton()), c.maxX);
        EXPECT_EQ(place(dialog->MinimiseButton()), c.minX);
        EXPECT_EQ(dialog->CloseButton()->y(), 3);
        EXPECT_EQ(dialog->CloseButton()->size(), QSize(30, 24));
        // After a resize the buttons follow the right edge.
        dialog->resize(500, 240);
        EXPECT_EQ(place(dialog->CloseButton()), c.closeX + 100);
    }
}

// Pure green pixels of the frame bitmap lie outside the window's shape, so clicks there go to
// the window beneath; every other pixel is inside. Checked against the rendered frame at two
// sizes, since the shape follows every resize.
TEST(CSkinDialogEx, GreenPixelsOfTheFrameAreOutsideTheWindow) {
    auto dialog = ShownDialog(QSize(320, 200), true);
    for (QSize size : {QSize(320, 200), QSize(451, 263)}) {
        SCOPED_TRACE(size.width());
        dialog->resize(size);
        QApplication::processEvents();
        const QRegion mask = dialog->mask();
        ASSERT_FALSE(mask.isEmpty());
        // The frame drawn at this size, green kept, at 1x.
        QImage frame(size, QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        {
            QPainter p(&frame);
            const QImage source = LoadSkinBitmap(101, 1.0);
            ASSERT_FALSE(source.isNull());
            NineSliceStretch(p, frame.rect(), source, DefaultNineSliceMargins(source.size()), true);
        }
        int green = 0, mismatched = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const bool isGreen = (frame.pixel(x, y) & 0xffffff) == 0x00ff00;
                green += isGreen;
                mismatched += mask.contains(QPoint(x, y)) == isGreen;
            }
        }
        EXPECT_GT(green, 0);
        EXPECT_EQ(mismatched, 0);
        const int r = size.width() - 1, b = size.height() - 1;
        EXPECT_FALSE(mask.contains(QPoint(0, 0)));
        EXPECT_FALSE(mask.contains(QPoint(r, 0)));
        EXPECT_FALSE(mask.contains(QPoint(0, b)));
        EXPECT_FALSE(mask.contains(QPoint(r, b)));
        EXPECT_TRUE(mask.contains(QPoint(r / 2, 0)));
        EXPECT_TRUE(mask.contains(QPoint(0, b / 2)));
        EXPECT_TRUE(mask.contains(QPoint(r / 2, b / 2)));
    }
}

// Where a press starts a resize: 7 pixels around a corner, 4 along an edge.
TEST(CSkinDialogEx, ResizeEdgesAtPoint) {
    struct Case {
        QPoint at;
        Qt::Edges edges;
    };
    const Case cases[] = {
        {{0, 0}, Qt::LeftEdge | Qt::TopEdge},
        {{6, 6}, Qt::LeftEdge | Qt::TopEdge},
        {{7, 7}, {}},
        {{6, 150}, {}},
        {{3, 100}, Qt::LeftEdge},
        {{4, 100}, {}},
        {{296, 100}, Qt::RightEdge},
        {{295, 100}, {}},
        {{150, 0}, Qt::TopEdge},
        {{150, 196}, Qt::BottomEdge},
        {{299, 199}, Qt::RightEdge | Qt::BottomEdge},
        {{293, 2}, Qt::RightEdge | Qt::TopEdge},
        {{2, 193}, Qt::LeftEdge | Qt::BottomEdge},
        {{150, 100}, {}},
        {{300, 100}, {}},
        {{-1, 100}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CSkinDialogEx::ResizeEdgesAt(QSize(300, 200), c.at), c.edges)
            << c.at.x() << "," << c.at.y();
}

// Without a window manager to hand the drag to, the window follows the mouse itself.
TEST(CSkinDialogEx, DraggingMovesAndResizes) {
    auto dialog = ShownDialog(QSize(300, 200), true);
    const QRect start = dialog->geometry();

    Drag(dialog.get(), QPoint(150, 15), QPoint(40, 25));
    EXPECT_EQ(dialog->geometry(), start.translated(40, 25));

    // Bottom-right corner: grows right and down.
    QRect before = dialog->geometry();
    Drag(dialog.get(), QPoint(298, 198), QPoint(50, 30));
    EXPECT_EQ(dialog->geometry(), QRect(before.topLeft(), QSize(350, 230)));

    // Left edge: the right edge stays, the width never goes below the minimum (200).
    before = dialog->geometry();
    Drag(dialog.get(), QPoint(1, 100), QPoint(400, 0));
    EXPECT_EQ(dialog->geometry().right(), before.right());
    EXPECT_EQ(dialog->width(), 200);

    // Top edge upwards.
    before = dialog->geometry();
    Drag(dialog.get(), QPoint(100, 1), QPoint(0, -20));
    EXPECT_EQ(dialog->geometry().bottom(), before.bottom());
    EXPECT_EQ(dialog->height(), before.height() + 20);
}

TEST(CSkinDialogEx, FixedSizeWindowMovesFromItsEdges) {
    auto dialog = ShownDialog(QSize(300, 200), false);
    const QRect start = dialog->geometry();
    Drag(dialog.get(), QPoint(298, 198), QPoint(30, 20));
    EXPECT_EQ(dialog->geometry(), start.translated(30, 20));
}

// A double click in the top 30 pixels of a resizable window maximises to the work area and
// restores; elsewhere, or on a fixed-size window, it does nothing.
TEST(CSkinDialogEx, DoubleClickInCaptionMaximisesAndRestores) {
    auto dialog = ShownDialog(QSize(300, 200), true);
    const QRect normal = dialog->geometry();
    const QRect work = dialog->screen()->availableGeometry();

    Mouse(dialog.get(), QEvent::MouseButtonDblClick, QPoint(100, 40), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_EQ(dialog->geometry(), normal);

    Mouse(dialog.get(), QEvent::MouseButtonDblClick, QPoint(100, 29), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_TRUE(dialog->IsSkinMaximised());
    EXPECT_EQ(dialog->geometry(), work);
    // A maximised window is neither moved nor resized by dragging.
    Drag(dialog.get(), QPoint(100, 15), QPoint(30, 30));
    EXPECT_EQ(dialog->geometry(), work);

    dialog->MaximiseButton()->click();
    EXPECT_FALSE(dialog->IsSkinMaximised());
    EXPECT_EQ(dialog->geometry(), normal);

    auto fixed = ShownDialog(QSize(300, 200), false);
    const QRect fixedStart = fixed->geometry();
    Mouse(fixed.get(), QEvent::MouseButtonDblClick, QPoint(100, 10), Qt::LeftButton,
          Qt::LeftButton);
    EXPECT_EQ(fixed->geometry(), fixedStart);
}

TEST(CSkinDialogEx, CloseAndMinimiseButtons) {
    auto dialog = ShownDialog(QSize(300, 200), false);
    dialog->CloseButton()->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    auto hiding = ShownDialog(QSize(300, 200), false);
    hiding->SetMinimiseHides(true);
    hiding->MinimiseButton()->click();
    EXPECT_FALSE(hiding->isVisible());
}

// Children laid out with an ordinary layout stay inside the client area below the caption.
TEST(CSkinDialogEx, LayoutsFillTheClientArea) {
    CSkinDialogEx dialog;
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* child = new QWidget(&dialog);
    layout->addWidget(child);
    dialog.resize(300, 200);
    dialog.show();
    QApplication::processEvents();
    EXPECT_EQ(child->geometry(), QRect(1, 30, 298, 169));
    dialog.SetSkinCaption(QStringLiteral("添加关注网页"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("添加关注网页"));
}

namespace {

class HookedDialog : public CSkinDialogEx {
public:
    int hooks = 0;

protected:
    void OnSkinPaint(QPainter& painter) override {
        ++hooks;
        painter.fillRect(QRect(50, 60, 10, 10), QColor(12, 34, 56));
    }
};

class HookedPanel : public CSkinChildDialog {
public:
    using CSkinChildDialog::CSkinChildDialog;

protected:
    void OnSkinPaint(QPainter& painter) override {
        painter.fillRect(QRect(20, 20, 4, 4), QColor(200, 10, 10));
    }
};

} // namespace

// The hook draws over the frame, and the frame is rendered once per size, not per paint.
TEST(CSkinDialogEx, PaintingHookAndRenderOncePerSize) {
    HookedDialog dialog;
    dialog.resize(300, 200);
    dialog.show();
    QApplication::processEvents();
    const QImage shot = dialog.grab().toImage();
    EXPECT_GT(dialog.hooks, 0);
    EXPECT_EQ(shot.pixel(55, 65), qRgb(12, 34, 56));
    // The caption band is the frame's dark colour, the body the frame's light one.
    const QImage frame = LoadSkinBitmap(101, 1.0);
    EXPECT_EQ(shot.pixel(150, 200 - 10), frame.pixel(30, 50));

    const int renders = dialog.FrameSurface().RenderCount();
    for (int i = 0; i < 5; ++i)
        dialog.repaint();
    EXPECT_EQ(dialog.FrameSurface().RenderCount(), renders);
    dialog.resize(320, 200);
    dialog.repaint();
    EXPECT_EQ(dialog.FrameSurface().RenderCount(), renders + 1);
}

TEST(CSkinChildDialog, BackgroundTitleAndHook) {
    QWidget host;
    host.resize(300, 200);
    auto* page = new HookedPanel(&host);
    page->setGeometry(0, 0, 300, 200);
    page->SetBackgroundBitmap(CSkinChildDialog::kPanelBitmap);
    page->SetTitle(QStringLiteral("天涯聚焦"));
    host.show();
    QApplication::processEvents();
    const QImage shot = page->grab().toImage();
    const QImage panel = LoadSkinBitmap(147, 1.0);
    EXPECT_EQ(shot.pixel(250, 150), panel.pixel(10, 10));
    EXPECT_EQ(shot.pixel(21, 21), qRgb(200, 10, 10));
    // Some title pixel differs from the background near (4, 8).
    bool title = false;
    for (int y = 8; y < 24 && !title; ++y)
        for (int x = 4; x < 60 && !title; ++x)
            title = shot.pixel(x, y) != panel.pixel(10, 10);
    EXPECT_TRUE(title);

    const int renders = page->BackgroundRenderCount();
    page->repaint();
    page->repaint();
    EXPECT_EQ(page->BackgroundRenderCount(), renders);
}

TEST(SkinRegistry, DialogsRegisterForTheirLifetime) {
    const int before = RegisteredSkinWindowCount();
    {
        CSkinDialogEx a;
        CSkinChildDialog b;
        EXPECT_EQ(RegisteredSkinWindowCount(), before + 2);
    }
    EXPECT_EQ(RegisteredSkinWindowCount(), before);
}

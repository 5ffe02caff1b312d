#include "skin/CSkinDialogEx.h"

#include "skin/CBmpButton.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int kCornerGrip = 7;
constexpr int kEdgeGrip = 4;
constexpr int kFrameBitmap = 101;
constexpr int kCaptionIcon = 128;

Qt::CursorShape CursorFor(Qt::Edges edges) {
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

} // namespace

CSkinDialogEx::CSkinDialogEx(QWidget* parent)
    : QDialog(parent, (parent ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint) {
    RegisterSkinWindow(this);
    setMouseTracking(true);
    const SkinSettings& skin = CurrentSkin();
    setContentsMargins(skin.frameBorder, skin.captionHeight, skin.frameBorder, skin.frameBorder);

    frame_.SetSourceBitmap(kFrameBitmap);
    frame_.SetFillCentre(true);
    frame_.SetColourKey(skin.frameKey);

    closeButton_ = new CBmpButton(313, 312, 311, this);
    maximiseButton_ = new CBmpButton(316, 315, 314, this);
    minimiseButton_ = new CBmpButton(319, 318, 317, this);
    closeButton_->setObjectName(QStringLiteral("10024"));
    maximiseButton_->setObjectName(QStringLiteral("10025"));
    minimiseButton_->setObjectName(QStringLiteral("10026"));
    closeButton_->setToolTip(QStringLiteral("关闭"));
    maximiseButton_->setToolTip(QStringLiteral("最大化"));
    minimiseButton_->setToolTip(QStringLiteral("最小化"));
    connect(closeButton_, &QAbstractButton::clicked, this, &QWidget::close);
    connect(maximiseButton_, &QAbstractButton::clicked, this, [this] {
        if (resizable_)
            ToggleMaximise();
    });
    connect(minimiseButton_, &QAbstractButton::clicked, this, &CSkinDialogEx::OnMinimise);
    UpdateCaptionButtons();
}

CSkinDialogEx::~CSkinDialogEx() {
    UnregisterSkinWindow(this);
}

void CSkinDialogEx::SetSkinCaption(const QString& text) {
    setWindowTitle(text);
}

QString CSkinDialogEx::SkinCaption() const {
    return windowTitle();
}

void CSkinDialogEx::SetSkinIcon() {
    icon_ = LoadSkinBitmap(kCaptionIcon, devicePixelRatioF());
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        QImage image = LoadSkinBitmap(kCaptionIcon, ratio);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    if (!icon.isNull())
        setWindowIcon(icon);
    update();
}

void CSkinDialogEx::SetMinTrackSize(int width, int height) {
    setMinimumSize(width, height);
}

void CSkinDialogEx::SetMinimiseBox(bool on) {
    minimiseBox_ = on;
    UpdateCaptionButtons();
}

void CSkinDialogEx::SetMaximiseBox(bool on) {
    maximiseBox_ = on;
    UpdateCaptionButtons();
}

void CSkinDialogEx::SetResizable(bool on) {
    resizable_ = on;
    LayoutCaptionButtons();
}

void CSkinDialogEx::UpdateCaptionButtons() {
    // A caption button without its images cannot be drawn, so it is not shown at all.
    closeButton_->setVisible(closeButton_->HasImages());
    maximiseButton_->setVisible(maximiseBox_ && maximiseButton_->HasImages());
    minimiseButton_->setVisible(minimiseBox_ && minimiseButton_->HasImages());
    LayoutCaptionButtons();
}

void CSkinDialogEx::LayoutCaptionButtons() {
    const SkinSettings& skin = CurrentSkin();
    int right = width() - skin.captionButtonRight;
    // Close rightmost, then maximise, then minimise; a hidden button leaves no gap, so the
    // minimise button takes the maximise button's place when that one is not shown.
    for (CBmpButton* button : {closeButton_, maximiseButton_, minimiseButton_}) {
        if (!button->isVisibleTo(this))
            continue;
        right -= button->width();
        button->move(right, skin.captionButtonTop);
    }
    update(QRect(0, 0, width(), skin.captionHeight));
}

void CSkinDialogEx::OnMinimise() {
    if (minimiseHides_)
        hide();
    else
        showMinimized();
}

void CSkinDialogEx::ToggleMaximise() {
    if (!maximised_) {
        QScreen* target = screen() ? screen() : QGuiApplication::primaryScreen();
        if (!target)
            return;
        restoreGeometry_ = geometry();
        maximised_ = true;
        setGeometry(target->availableGeometry());
    } else {
        maximised_ = false;
        setGeometry(restoreGeometry_);
    }
}

Qt::Edges CSkinDialogEx::ResizeEdgesAt(QSize size, QPoint pos) {
    const int fromLeft = pos.x(), fromTop = pos.y();
    const int fromRight = size.width() - 1 - pos.x(), fromBottom = size.height() - 1 - pos.y();
    if (fromLeft < 0 || fromTop < 0 || fromRight < 0 || fromBottom < 0)
        return {};
    Qt::Edges edges;
    const bool nearLeft = fromLeft < kCornerGrip, nearRight = fromRight < kCornerGrip;
    const bool nearTop = fromTop < kCornerGrip, nearBottom = fromBottom < kCornerGrip;
    if ((nearLeft || nearRight) && (nearTop || nearBottom)) {
        edges |= nearLeft ? Qt::LeftEdge : Qt::RightEdge;
        edges |= nearTop ? Qt::TopEdge : Qt::BottomEdge;
        return edges;
    }
    if (fromLeft < kEdgeGrip)
        edges |= Qt::LeftEdge;
    else if (fromRight < kEdgeGrip)
        edges |= Qt::RightEdge;
    if (fromTop < kEdgeGrip)
        edges |= Qt::TopEdge;
    else if (fromBottom < kEdgeGrip)
        edges |= Qt::BottomEdge;
    return edges;
}

void CSkinDialogEx::RefreshFrame() {
    if (skinGeneration_ != SkinGeneration()) {
        skinGeneration_ = SkinGeneration();
        frame_.SetColourKey(CurrentSkin().frameKey);
    }
    if (frame_.Render(size(), devicePixelRatioF())) {
        // Pure green pixels of the frame are outside the window: clicks there go beneath.
        if (frame_.IsEmpty())
            clearMask();
        else
            setMask(frame_.KeyRegion());
    }
}

void CSkinDialogEx::OnSkinPaint(QPainter&) {}

void CSkinDialogEx::paintEvent(QPaintEvent*) {
    RefreshFrame();
    const SkinSettings& skin = CurrentSkin();
    surface_.CreateSurface(size(), devicePixelRatioF());
    if (surface_.IsEmpty())
        return;
    {
        QPainter painter(&surface_.Image());
        frame_.DrawTo(painter);
        int textLeft = 10;
        if (!icon_.isNull()) {
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRect(8, (skin.captionHeight - 16) / 2, 16, 16), icon_);
            textLeft = 28;
        }
        int textRight = width() - skin.captionButtonRight;
        for (CBmpButton* button : {closeButton_, maximiseButton_, minimiseButton_}) {
            if (button->isVisibleTo(this))
                textRight = qMin(textRight, button->x());
        }
        const QRect textRect(textLeft, 0, qMax(0, textRight - 8 - textLeft), skin.captionHeight);
        painter.setFont(skin.captionFont);
        painter.setPen(skin.captionText);
        const QString caption =
            painter.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, textRect.width());
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
        OnSkinPaint(painter);
    }
    // Drawn over the window's own background, which shows where the frame image is missing.
    QPainter painter(this);
    surface_.DrawTo(painter);
}

void CSkinDialogEx::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    RefreshFrame();
    LayoutCaptionButtons();
}

void CSkinDialogEx::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Children added later stack above earlier ones; the caption buttons stay on top.
    for (CBmpButton* button : {closeButton_, maximiseButton_, minimiseButton_})
        button->raise();
    RefreshFrame();
    LayoutCaptionButtons();
}

void CSkinDialogEx::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowTitleChange)
        update(QRect(0, 0, width(), CurrentSkin().captionHeight));
    QDialog::changeEvent(event);
}

void CSkinDialogEx::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    pressGlobal_ = event->globalPosition().toPoint();
    pressGeometry_ = geometry();
    dragEdges_ = resizable_ && !maximised_ ? ResizeEdgesAt(size(), event->position().toPoint())
                                           : Qt::Edges();
    if (dragEdges_) {
        // Let the window manager resize when it can; otherwise follow the mouse ourselves.
        QWindow* window = windowHandle();
        drag_ = window && window->startSystemResize(dragEdges_) ? Drag::None : Drag::Resize;
    } else {
        drag_ = maximised_ ? Drag::None : Drag::Pending;
    }
    event->accept();
}

void CSkinDialogEx::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || drag_ == Drag::None) {
        const Qt::Edges edges = resizable_ && !maximised_
                                    ? ResizeEdgesAt(size(), event->position().toPoint())
                                    : Qt::Edges();
        if (edges)
            setCursor(CursorFor(edges));
        else
            unsetCursor();
        QDialog::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = global - pressGlobal_;
    if (drag_ == Drag::Pending) {
        // Moving starts only once the mouse has really moved, so a double click stays a click.
        if (delta.manhattanLength() < QApplication::startDragDistance())
            return;
        QWindow* window = windowHandle();
        drag_ = window && window->startSystemMove() ? Drag::None : Drag::Move;
    }
    if (drag_ == Drag::Move) {
        move(pressGeometry_.topLeft() + delta);
    } else if (drag_ == Drag::Resize) {
        QRect r = pressGeometry_;
        const QSize least = minimumSize().expandedTo(QSize(1, 1));
        const QSize most = maximumSize();
        if (dragEdges_ & Qt::LeftEdge)
            r.setLeft(qBound(r.right() + 1 - most.width(), r.left() + delta.x(),
                             r.right() + 1 - least.width()));
        if (dragEdges_ & Qt::RightEdge)
            r.setRight(qBound(r.left() - 1 + least.width(), r.right() + delta.x(),
                              r.left() - 1 + qMin(most.width(), QWIDGETSIZE_MAX)));
        if (dragEdges_ & Qt::TopEdge)
            r.setTop(qBound(r.bottom() + 1 - most.height(), r.top() + delta.y(),
                            r.bottom() + 1 - least.height()));
        if (dragEdges_ & Qt::BottomEdge)
            r.setBottom(qBound(r.top() - 1 + least.height(), r.bottom() + delta.y(),
                               r.top() - 1 + qMin(most.height(), QWIDGETSIZE_MAX)));
        setGeometry(r);
    }
    event->accept();
}

void CSkinDialogEx::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        drag_ = Drag::None;
    QDialog::mouseReleaseEvent(event);
}

void CSkinDialogEx::mouseDoubleClickEvent(QMouseEvent* event) {
    drag_ = Drag::None;
    if (event->button() == Qt::LeftButton && resizable_ &&
        event->position().y() < CurrentSkin().captionHeight) {
        ToggleMaximise();
        event->accept();
        return;
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CSkinDialogEx::leaveEvent(QEvent* event) {
    if (drag_ == Drag::None)
        unsetCursor();
    QDialog::leaveEvent(event);
}

#include "skin/CSkinButton.h"

#include "skin/SkinSettings.h"

#include <QMouseEvent>
#include <QPainter>

CSkinButton::State CSkinButton::ChooseState(const StateInputs& in) {
    if (!in.enabled && in.hasDisabledImage)
        return State::Disabled;
    if (in.pressedFlag || in.down)
        return State::Pressed;
    if (in.hover)
        return State::Hover;
    if (in.focus && in.hasFocusImage)
        return State::Focused;
    return State::Normal;
}

CSkinButton::CSkinButton(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
    textColour_ = CurrentSkin().buttonText;
    disabledTextColour_ = CurrentSkin().buttonDisabledText;
    SetButtonBitmaps(kNormalBitmap, kHoverBitmap, kPressedBitmap, kDisabledBitmap, kFocusedBitmap);
}

CSkinButton::CSkinButton(const QString& text, QWidget* parent) : CSkinButton(parent) {
    setText(text);
}

void CSkinButton::SetButtonBitmaps(int normal, int hover, int pressed, int disabled, int focused) {
    const int ids[5] = {normal, hover, pressed, disabled, focused};
    for (int i = 0; i < 5; ++i) {
        images_[i].SetSourceBitmap(ids[i]);
        images_[i].SetColourKey(CurrentSkin().buttonKey);
    }
    Reshape();
    update();
}

void CSkinButton::UseTabBitmaps() {
    SetButtonBitmaps(kTabNormalBitmap, kTabHoverBitmap, kTabPressedBitmap);
    setFocusPolicy(Qt::NoFocus);
}

void CSkinButton::SetPressed(bool pressed) {
    if (pressed == pressedFlag_)
        return;
    pressedFlag_ = pressed;
    update();
}

void CSkinButton::SetButtonIcon(const QImage& icon, int x) {
    icon_ = icon;
    iconX_ = x;
    update();
}

void CSkinButton::SetTextX(int x) {
    textX_ = x;
    update();
}

void CSkinButton::SetTextColours(const QColor& normal, const QColor& disabled) {
    textColour_ = normal;
    disabledTextColour_ = disabled;
    update();
}

CSkinButton::State CSkinButton::CurrentState() const {
    StateInputs in;
    in.enabled = isEnabled();
    in.hasDisabledImage = images_[int(State::Disabled)].HasSource();
    in.pressedFlag = pressedFlag_;
    in.down = isDown();
    in.hover = hover_;
    in.focus = hasFocus();
    in.hasFocusImage = images_[int(State::Focused)].HasSource();
    return ChooseState(in);
}

CStretchDC& CSkinButton::ImageFor(State state) {
    CStretchDC& image = images_[int(state)];
    return image.HasSource() ? image : images_[int(State::Normal)];
}

void CSkinButton::Reshape() {
    CStretchDC& normal = images_[int(State::Normal)];
    normal.Render(size(), devicePixelRatioF());
    if (normal.IsEmpty() || size().isEmpty())
        clearMask();
    else
        setMask(normal.KeyRegion());
}

QSize CSkinButton::sizeHint() const {
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(text()) + 28;
    if (!icon_.isNull())
        width += 20;
    return QSize(qMax(width, 72), qMax(metrics.height() + 12, 28));
}

void CSkinButton::paintEvent(QPaintEvent*) {
    if (skinGeneration_ != SkinGeneration()) {
        skinGeneration_ = SkinGeneration();
        for (CStretchDC& image : images_)
            image.SetColourKey(CurrentSkin().buttonKey);
        Reshape();
    }
    const State state = CurrentState();
    CStretchDC& image = ImageFor(state);
    image.Render(size(), devicePixelRatioF());

    QPainter painter(this);
    image.DrawTo(painter);
    const bool held = isDown();
    if (!icon_.isNull()) {
        const QPoint at(iconX_ + (held ? 2 : 0), (height() - 16) / 2 + (held ? 2 : 0));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(at, QSize(16, 16)), icon_);
    }
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? textColour_ : disabledTextColour_);
        QRect textRect = rect();
        int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        if (textX_ >= 0) {
            textRect.setLeft(textX_);
            flags |= Qt::AlignLeft;
        } else {
            flags |= Qt::AlignHCenter;
        }
        painter.drawText(textRect, flags, text());
    }
}

void CSkinButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    Reshape();
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!hover_) {
        hover_ = true;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
    if (hover_) {
        hover_ = false;
        update();
    }
    QPushButton::leaveEvent(event);
}

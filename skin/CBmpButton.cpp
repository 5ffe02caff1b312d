#include "skin/CBmpButton.h"

#include "skin/SkinSettings.h"

#include <QMouseEvent>
#include <QPainter>

CBmpButton::CBmpButton(QWidget* parent) : QAbstractButton(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

CBmpButton::CBmpButton(int normal, int hover, int pressed, QWidget* parent) : CBmpButton(parent) {
    SetBitmaps(normal, hover, pressed);
}

void CBmpButton::SetBitmaps(int normal, int hover, int pressed) {
    const int ids[3] = {normal, hover, pressed};
    for (int i = 0; i < 3; ++i) {
        images_[i].SetSourceBitmap(ids[i]);
        images_[i].SetColourKey(CurrentSkin().buttonKey);
    }
    Reshape();
}

bool CBmpButton::HasImages() const {
    return images_[0].HasSource();
}

void CBmpButton::Reshape() {
    const QSize size = images_[0].SourceSize();
    if (size.isEmpty()) {
        setFixedSize(0, 0);
        clearMask();
        return;
    }
    setFixedSize(size);
    images_[0].Render(size, devicePixelRatioF());
    setMask(images_[0].KeyRegion());
    update();
}

CBmpButton::State CBmpButton::CurrentState() const {
    if (isDown())
        return State::Pressed;
    if (hover_)
        return State::Hover;
    return State::Normal;
}

QSize CBmpButton::sizeHint() const {
    return images_[0].SourceSize();
}

void CBmpButton::paintEvent(QPaintEvent*) {
    int index = static_cast<int>(CurrentState());
    if (!images_[index].HasSource())
        index = 0;
    CStretchDC& image = images_[index];
    image.Render(size(), devicePixelRatioF());
    QPainter painter(this);
    image.DrawTo(painter);
}

void CBmpButton::mouseMoveEvent(QMouseEvent* event) {
    if (!hover_) {
        hover_ = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CBmpButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

#include "skin/CSkinCRButton.h"

#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kBoxSize = 16;
constexpr int kTextGap = 6;

// Box images keyed on black are converted once per bitmap and ratio.
QImage KeyedBox(int id, qreal ratio) {
    static QHash<int, QImage> cache;
    const int key = id * 2 + (ratio > 1.0 ? 1 : 0);
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QImage image = KeyedCopy(LoadSkinBitmap(id, ratio), CurrentSkin().checkKey);
    cache.insert(key, image);
    return image;
}

} // namespace

CSkinCRButton::CSkinCRButton(QWidget* parent) : CSkinCRButton(Kind::Check, QString(), parent) {}

CSkinCRButton::CSkinCRButton(Kind kind, const QString& text, QWidget* parent)
    : QAbstractButton(parent), kind_(kind) {
    setText(text);
    setCheckable(true);
    setAutoExclusive(kind == Kind::Radio);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int CSkinCRButton::BoxBitmap(Kind kind, bool ticked, CSkinButton::State state) {
    int offset = 6; // unticked normal 326, ticked normal 327
    switch (state) {
    case CSkinButton::State::Normal:
        offset = 6;
        break;
    case CSkinButton::State::Hover:
        offset = 8;
        break;
    case CSkinButton::State::Pressed:
        offset = 2;
        break;
    case CSkinButton::State::Disabled:
        offset = 0;
        break;
    case CSkinButton::State::Focused:
        offset = 4;
        break;
    }
    return (kind == Kind::Radio ? 340 : 320) + offset + (ticked ? 1 : 0);
}

CSkinButton::State CSkinCRButton::CurrentState() const {
    CSkinButton::StateInputs in;
    in.enabled = isEnabled();
    in.down = isDown();
    in.hover = hover_;
    in.focus = hasFocus();
    return CSkinButton::ChooseState(in);
}

QSize CSkinCRButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const int textWidth = text().isEmpty() ? 0 : kTextGap + metrics.horizontalAdvance(text());
    return QSize(kBoxSize + textWidth + 2, qMax(kBoxSize + 4, metrics.height() + 4));
}

void CSkinCRButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QImage box = KeyedBox(BoxBitmap(kind_, isChecked(), CurrentState()), ratio);
    const QRect boxRect(0, (height() - kBoxSize) / 2, kBoxSize, kBoxSize);
    if (!box.isNull())
        painter.drawImage(boxRect, box);
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? CurrentSkin().buttonText : CurrentSkin().checkDisabledText);
        painter.drawText(QRect(kBoxSize + kTextGap, 0, width() - kBoxSize - kTextGap, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }
}

void CSkinCRButton::mouseMoveEvent(QMouseEvent* event) {
    if (!hover_) {
        hover_ = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CSkinCRButton::leaveEvent(QEvent* event) {
    if (hover_) {
        hover_ = false;
        update();
    }
    QAbstractButton::leaveEvent(event);
}

bool CSkinCRButton::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}

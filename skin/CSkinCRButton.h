#pragma once

#include "skin/CSkinButton.h"

#include <QAbstractButton>
#include <QImage>

// A check box or radio button drawn from the skin's box images (black transparent) with its
// text to the right. Radio buttons are auto-exclusive among their siblings, as QRadioButton.
class CSkinCRButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { Check, Radio };

    explicit CSkinCRButton(QWidget* parent = nullptr);
    CSkinCRButton(Kind kind, const QString& text, QWidget* parent = nullptr);

    Kind ButtonKind() const { return kind_; }
    CSkinButton::State CurrentState() const;
    // The box image for a tick state and a button state: check boxes 320 to 329, radio
    // buttons the same order from 340.
    static int BoxBitmap(Kind kind, bool ticked, CSkinButton::State state);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    Kind kind_ = Kind::Check;
    bool hover_ = false;
};

#pragma once

#include "skin/CStretchDC.h"

#include <QAbstractButton>

// A button drawn only from three bitmaps (normal, hover, pressed) with magenta transparent. It
// takes the size of its normal image and the shape of its non-magenta pixels. Without a normal
// image it has no size and stays hidden. The caption buttons of CSkinDialogEx are these.
class CBmpButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CBmpButton(QWidget* parent = nullptr);
    CBmpButton(int normal, int hover, int pressed, QWidget* parent = nullptr);

    void SetBitmaps(int normal, int hover, int pressed);
    bool HasImages() const;

    enum class State { Normal, Hover, Pressed };
    State CurrentState() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Reshape();

    CStretchDC images_[3];
    bool hover_ = false;
};

#pragma once

#include "skin/CStretchDC.h"

#include <QColor>
#include <QImage>
#include <QPushButton>

// A push button drawn from skin bitmaps, each nine-sliced to the button's size with magenta
// transparent; the button's shape is the non-magenta area of its normal image. The state
// image: disabled (when a disabled image exists), pressed (pressed flag or held down), hover,
// focused (when a focus image exists), else normal. The pressed flag keeps the pressed image
// whatever the mouse does: the main window's tab buttons use it for the shown tab.
class CSkinButton : public QPushButton {
    Q_OBJECT
public:
    // Default images: disabled 102, pressed 103, focused 104, normal 105, hover 106.
    static constexpr int kDisabledBitmap = 102;
    static constexpr int kPressedBitmap = 103;
    static constexpr int kFocusedBitmap = 104;
    static constexpr int kNormalBitmap = 105;
    static constexpr int kHoverBitmap = 106;
    // Tab buttons of the main window: normal, hover, pressed (the shown tab).
    static constexpr int kTabNormalBitmap = 144;
    static constexpr int kTabHoverBitmap = 145;
    static constexpr int kTabPressedBitmap = 146;
    // Accent buttons: normal, hover, pressed; the thin toggle: normal, hover.
    static constexpr int kAccentNormalBitmap = 153;
    static constexpr int kAccentHoverBitmap = 154;
    static constexpr int kAccentPressedBitmap = 155;
    static constexpr int kToggleNormalBitmap = 156;
    static constexpr int kToggleHoverBitmap = 157;

    enum class State { Normal, Hover, Pressed, Disabled, Focused };

    // What decides the state image.
    struct StateInputs {
        bool enabled = true;
        bool hasDisabledImage = true;
        bool pressedFlag = false;
        bool down = false;
        bool hover = false;
        bool focus = false;
        bool hasFocusImage = true;
    };
    static State ChooseState(const StateInputs& in);

    explicit CSkinButton(QWidget* parent = nullptr);
    explicit CSkinButton(const QString& text, QWidget* parent = nullptr);

    // Resource numbers of the five images; 0 means none (hover and pressed fall back to
    // normal, a missing disabled or focused image is simply not used).
    void SetButtonBitmaps(int normal, int hover, int pressed, int disabled = 0, int focused = 0);
    // The three tab images (144, 145, 146), text colours of a tab, and no keyboard focus.
    void UseTabBitmaps();

    void SetPressed(bool pressed);
    bool IsPressed() const { return pressedFlag_; }

    // A 16 x 16 icon drawn at x (vertically centred); a null image removes it.
    void SetButtonIcon(const QImage& icon, int x = 6);
    // Left edge of the text; -1 centres it (the default).
    void SetTextX(int x);
    void SetTextColours(const QColor& normal, const QColor& disabled);

    State CurrentState() const;
    bool IsHover() const { return hover_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    CStretchDC& ImageFor(State state);
    void Reshape();

    // Indexed by State.
    CStretchDC images_[5];
    bool pressedFlag_ = false;
    bool hover_ = false;
    QImage icon_;
    int iconX_ = 6;
    int textX_ = -1;
    QColor textColour_;
    QColor disabledTextColour_;
    int skinGeneration_ = -1;
};

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

// The look every skinned window and control shares: colours, caption metrics and fonts. One
// process-wide set, chosen by InitSkin; read it through CurrentSkin() on the GUI thread.
struct SkinSettings {
    // Caption buttons: distance of the close button from the right edge and from the top.
    int captionButtonRight = 10;
    int captionButtonTop = 3;
    QColor captionText{255, 255, 255};
    // Pixels of this colour in the frame bitmap lie outside the window.
    QColor frameKey{0, 255, 0};

    QColor listEvenRow{255, 255, 255};
    QColor listOddRow{250, 250, 250};
    // Selected row while the list has the focus (or always shows its selection).
    QColor listSelectedFocused{255, 239, 204};
    QColor listSelected{207, 227, 249};
    QColor listHover{239, 239, 239};
    QColor listText{47, 52, 55};
    QColor listSelectedText{0, 0, 0};
    QColor listBorder{127, 157, 185};
    QColor listGrid{224, 224, 224};
    int listRowHeight = 30;
    QColor listDisabled{236, 233, 216};

    // The following are the skin's own choices, kept here so the whole look is in one place.
    // Height of the caption band: double clicks above it maximise, layouts start below it.
    int captionHeight = 30;
    // Width of the frame line around the client area.
    int frameBorder = 1;
    // Transparent colours of button images and of check and radio box images.
    QColor buttonKey{255, 0, 255};
    QColor checkKey{0, 0, 0};
    QColor buttonText{47, 52, 55};
    QColor buttonDisabledText{160, 166, 172};
    QColor checkDisabledText{172, 168, 153};
    QColor headerText{74, 85, 96};
    QColor headerSeparator{214, 221, 228};
    QColor titleText{47, 52, 55};
    QFont captionFont;
    QFont controlFont;
};

// The settings in force (the built-in skin until InitSkin says otherwise).
const SkinSettings& CurrentSkin();

// Chooses the skin. A path equal to the current one and not empty changes nothing; any other
// path selects the built-in settings (no skin file is read), sets the application font to the
// skin's control font and repaints every registered skinned window. Call it once at start.
void InitSkin(const QString& skinPath);

// Grows by one each time the settings are set; surfaces rendered under an older value are
// stale.
int SkinGeneration();

// The process-wide list of skinned windows (dialogs and lists) that InitSkin repaints.
void RegisterSkinWindow(QWidget* window);
void UnregisterSkinWindow(QWidget* window);
int RegisteredSkinWindowCount();

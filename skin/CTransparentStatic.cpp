#include "skin/CTransparentStatic.h"

#include "skin/SkinSettings.h"

CTransparentStatic::CTransparentStatic(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(false);
    setWordWrap(true);
    SetTextColour(CurrentSkin().listText);
}

CTransparentStatic::CTransparentStatic(const QString& text, QWidget* parent)
    : CTransparentStatic(parent) {
    setText(text);
}

void CTransparentStatic::SetText(const QString& text) {
    setText(text);
    update();
}

void CTransparentStatic::SetTextColour(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    setPalette(p);
}

QColor CTransparentStatic::TextColour() const {
    return palette().color(QPalette::WindowText);
}

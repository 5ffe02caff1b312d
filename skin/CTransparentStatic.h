#pragma once

#include <QColor>
#include <QLabel>

// A static text drawn over whatever lies beneath it (no background of its own), word-wrapped,
// in its own font and colour; alignment as for QLabel (left by default, or centred or right).
class CTransparentStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTransparentStatic(QWidget* parent = nullptr);
    explicit CTransparentStatic(const QString& text, QWidget* parent = nullptr);

    // Sets the text and repaints.
    void SetText(const QString& text);
    void SetTextColour(const QColor& colour);
    QColor TextColour() const;
    void SetFont(const QFont& font) { setFont(font); }
};

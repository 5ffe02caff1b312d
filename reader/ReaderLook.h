#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>

class QApplication;
class QPainter;
class QRect;

// The reader's colours, fonts and drawn icons, shared by its windows so they look as one.
namespace ReaderLook {

// Fusion style, the palette and the style sheet of the reader's controls.
void Apply(QApplication& app);

QFont CaptionFont();
QColor TextColour();
QColor AccentColour();
// The background of pages and dialogs.
void PaintPanel(QPainter& painter, const QRect& rect);
// The reader's icons by resource number (149 information, 150 question, 151 notice, 152 list,
// 128 program), drawn at 32 x 32 logical pixels.
QPixmap Icon(int resource, qreal devicePixelRatio);

} // namespace ReaderLook

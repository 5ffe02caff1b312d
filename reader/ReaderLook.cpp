#include "reader/ReaderLook.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyleFactory>

namespace ReaderLook {

namespace {

const char* const kStyleSheet = R"(
QLineEdit { border: 1px solid #9db0c6; border-radius: 3px; padding: 3px 5px; background: white;
    selection-background-color: #3b79c3; }
QLineEdit:focus { border-color: #3b79c3; }
QLineEdit:disabled { background: #eef0f2; color: #8a8f94; }
QTableWidget, QTreeWidget, QListWidget {
    border: 1px solid #7f9db9; background: #ffffff; alternate-background-color: #fafafa;
    gridline-color: #e0e0e0; color: #2f3437;
    selection-background-color: #ffefcc; selection-color: #000000;
}
QTableWidget::item:hover { background: #efefef; }
QHeaderView::section {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcfd, stop:1 #e3e8ee);
    border: none; border-right: 1px solid #cdd5de; border-bottom: 1px solid #b7c3cf;
    padding: 4px 6px; color: #2f3437; font-weight: bold;
}
QMenu { background: white; border: 1px solid #9db0c6; padding: 4px; }
QMenu::item { padding: 5px 24px 5px 20px; }
QMenu::item:selected { background: #dce8f6; color: #0f2c4c; }
)";

} // namespace

void Apply(QApplication& app) {
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QPalette palette = app.palette();
    palette.setColor(QPalette::Window, QColor(0xf4, 0xf6, 0xf9));
    palette.setColor(QPalette::WindowText, TextColour());
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(250, 250, 250));
    palette.setColor(QPalette::Text, TextColour());
    palette.setColor(QPalette::Highlight, QColor(255, 239, 204));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    app.setPalette(palette);
    app.setStyleSheet(QString::fromLatin1(kStyleSheet));
}

QFont CaptionFont() {
    QFont font;
    font.setBold(true);
    font.setPixelSize(15);
    return font;
}

QColor TextColour() {
    return QColor(47, 52, 55);
}

QColor AccentColour() {
    return QColor(0x3b, 0x79, 0xc3);
}

void PaintPanel(QPainter& painter, const QRect& rect) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, QColor(0xfb, 0xfc, 0xfe));
    gradient.setColorAt(1, QColor(0xee, 0xf2, 0xf7));
    painter.fillRect(rect, gradient);
}

QPixmap Icon(int resource, qreal devicePixelRatio) {
    const int size = 32;
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor top, bottom;
    QString glyph;
    switch (resource) {
    case 149:
        top = QColor(0x5c, 0xa8, 0xf0);
        bottom = QColor(0x1f, 0x6b, 0xc2);
        glyph = QStringLiteral("i");
        break;
    case 150:
        top = QColor(0x6c, 0xc0, 0x6a);
        bottom = QColor(0x2e, 0x8b, 0x3c);
        glyph = QStringLiteral("?");
        break;
    case 151:
        top = QColor(0xff, 0xc8, 0x4a);
        bottom = QColor(0xe0, 0x8a, 0x10);
        glyph = QStringLiteral("!");
        break;
    default:
        top = QColor(0x4f, 0x8f, 0xd8);
        bottom = QColor(0x24, 0x55, 0x9a);
        glyph = resource == 152 ? QStringLiteral("★") : QStringLiteral("Q");
        break;
    }
    QLinearGradient gradient(0, 0, 0, size);
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.setPen(QPen(bottom.darker(120), 1));
    painter.setBrush(gradient);
    painter.drawEllipse(QRectF(1.5, 1.5, size - 3, size - 3));
    QFont font;
    font.setBold(true);
    font.setPixelSize(20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, glyph);
    return pixmap;
}

} // namespace ReaderLook

// Draws the skin's bitmaps (frame, caption buttons, buttons, tabs, check and radio boxes,
// list header, progress bar, panel, icons) as PNG files named by resource number, each at 1x
// and 2x ("101.png", "101@2x.png"). The checked-in files in skin/images come from here:
//   build/bin/SkinArt skin/images
// and the program's desktop icons in skin/icons from
//   build/bin/SkinArt --desktop-icons skin/icons
// Everything is drawn as vectors at the target scale, so both sizes are sharp.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>
#include <optional>

namespace {

// One palette for the whole skin: a slate caption, light neutral surfaces, one blue accent.
const QColor kCaption(0x2e, 0x3b, 0x4a);
const QColor kCaptionLine(0x24, 0x2f, 0x3b);
const QColor kOuterBorder(0x27, 0x32, 0x3e);
const QColor kBody(0xee, 0xf1, 0xf4);
const QColor kSurface(0xff, 0xff, 0xff);
const QColor kLine(0xc9, 0xd1, 0xd9);
const QColor kLineSoft(0xdc, 0xe2, 0xe8);
const QColor kAccent(0x36, 0x7a, 0xd4);
const QColor kAccentHover(0x4a, 0x8b, 0xe2);
const QColor kAccentDown(0x2a, 0x64, 0xb3);
const QColor kHoverFill(0xee, 0xf4, 0xfc);
const QColor kDownFill(0xdb, 0xe7, 0xf6);
const QColor kDisabledFill(0xf1, 0xf2, 0xf4);
const QColor kDisabledLine(0xd6, 0xda, 0xdf);

const QColor kGreen(0, 255, 0);
const QColor kMagenta(255, 0, 255);
const QColor kBlack(0, 0, 0);

QString outDir;
int failures = 0;

enum class Edge {
    Soft, // partly covered edge pixels keep their alpha (controls drawn over a parent)
    Hard  // edge pixels are either inside or key (a window shaped by a region)
};

// Draws at `scale`, then turns every uncovered pixel into the key colour. No drawn pixel may
// equal the key, or it would be cut out too.
QImage Render(int w, int h, int scale, const std::function<void(QPainter&)>& draw,
              std::optional<QColor> key, Edge edge) {
    QImage image(w * scale, h * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.scale(scale, scale);
        draw(p);
    }
    if (!key)
        return image;
    const QRgb keyRgb = key->rgba();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            QRgb px = line[x];
            int a = qAlpha(px);
            if (a == 0 || (edge == Edge::Hard && a < 128)) {
                line[x] = keyRgb;
                continue;
            }
            if (edge == Edge::Hard)
                px = qRgba(qRed(px), qGreen(px), qBlue(px), 255);
            if ((px | 0xff000000u) == (keyRgb | 0xff000000u))
                px = qRgba(qRed(px), qGreen(px) ^ 1, qBlue(px), qAlpha(px));
            line[x] = px;
        }
    }
    return image;
}

void Save(int id, int w, int h, const std::function<void(QPainter&)>& draw,
          std::optional<QColor> key, Edge edge = Edge::Soft) {
    for (int scale : {1, 2}) {
        QImage image = Render(w, h, scale, draw, key, edge);
        QString name =
            scale == 1 ? QStringLiteral("%1.png").arg(id) : QStringLiteral("%1@2x.png").arg(id);
        if (!image.save(QDir(outDir).filePath(name), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            ++failures;
        }
    }
}

QPainterPath Rounded(const QRectF& r, qreal radius) {
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

// A rounded box with a one-pixel border: the border is the outer shape, the fill is inset by
// one pixel, so both stay crisp at any scale.
void Box(QPainter& p, const QRectF& r, qreal radius, const QColor& fill, const QColor& border,
         qreal borderWidth = 1.0) {
    p.setPen(Qt::NoPen);
    p.setBrush(border);
    p.drawPath(Rounded(r, radius));
    p.setBrush(fill);
    p.drawPath(Rounded(r.adjusted(borderWidth, borderWidth, -borderWidth, -borderWidth),
                       qMax<qreal>(0, radius - borderWidth)));
}

// Frame of every skinned dialog: a 30-pixel caption band over a light body, one dark outer
// line, rounded top corners. 61 x 61 so the default nine-slice margins (30) keep the caption
// band and the corners whole.
void Frame() {
    Save(
        101, 61, 61,
        [](QPainter& p) {
            QRectF outer(0, 0, 61, 61);
            QPainterPath shape;
            shape.addRoundedRect(outer, 6, 6);
            // Square off the bottom corners a little less than the top ones.
            QPainterPath bottom;
            bottom.addRoundedRect(QRectF(0, 30, 61, 31), 3, 3);
            shape = shape.united(bottom);
            p.setPen(Qt::NoPen);
            p.setBrush(kOuterBorder);
            p.drawPath(shape);
            p.save();
            p.setClipPath(shape);
            QRectF inner = outer.adjusted(1, 1, -1, -1);
            QPainterPath innerShape;
            innerShape.addRoundedRect(inner, 5, 5);
            QPainterPath innerBottom;
            innerBottom.addRoundedRect(QRectF(1, 30, 59, 30), 2, 2);
            innerShape = innerShape.united(innerBottom);
            p.setClipPath(innerShape);
            QLinearGradient caption(0, 1, 0, 29);
            caption.setColorAt(0, kCaption.lighter(112));
            caption.setColorAt(0.12, kCaption);
            caption.setColorAt(1, kCaption);
            p.fillRect(QRectF(0, 0, 61, 29), caption);
            p.fillRect(QRectF(0, 29, 61, 1), kCaptionLine);
            p.fillRect(QRectF(0, 30, 61, 31), kBody);
            p.restore();
        },
        kGreen, Edge::Hard);
}

enum class Glyph { Close, Maximise, Minimise };

void CaptionGlyph(QPainter& p, Glyph glyph, const QRectF& r) {
    QPen pen(QColor(0xf4, 0xf6, 0xf8), 1.2);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPointF c = r.center();
    switch (glyph) {
    case Glyph::Close:
        p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
        p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
        break;
    case Glyph::Maximise:
        p.drawRoundedRect(QRectF(c.x() - 4.5, c.y() - 4.5, 9, 9), 1, 1);
        break;
    case Glyph::Minimise:
        p.drawLine(c + QPointF(-4.5, 0.5), c + QPointF(4.5, 0.5));
        break;
    }
}

// Caption buttons: 30 x 24, flat on the caption band, a rounded highlight on hover and press.
void CaptionButtons() {
    struct Set {
        int pressed, hover, normal;
        Glyph glyph;
        QColor hoverFill, downFill;
    };
    const Set sets[] = {
        {311, 312, 313, Glyph::Close, QColor(0xd2, 0x4b, 0x4b), QColor(0xaa, 0x3a, 0x3a)},
        {314, 315, 316, Glyph::Maximise, QColor(0x45, 0x57, 0x6b), QColor(0x24, 0x30, 0x3c)},
        {317, 318, 319, Glyph::Minimise, QColor(0x45, 0x57, 0x6b), QColor(0x24, 0x30, 0x3c)},
    };
    for (const Set& s : sets) {
        auto draw = [&](const QColor& fill) {
            return [&, fill](QPainter& p) {
                QRectF r(0, 0, 30, 24);
                p.fillRect(r, kCaption);
                if (fill != kCaption) {
                    p.setPen(Qt::NoPen);
                    p.setBrush(fill);
                    p.drawRoundedRect(r, 4, 4);
                }
                CaptionGlyph(p, s.glyph, r);
            };
        };
        Save(s.normal, 30, 24, draw(kCaption), kMagenta);
        Save(s.hover, 30, 24, draw(s.hoverFill), kMagenta);
        Save(s.pressed, 30, 24, draw(s.downFill), kMagenta);
    }
}

// 21 x 21 rounded buttons; magenta around the corners.
void PushButtons() {
    struct State {
        int id;
        QColor fill, border;
        qreal width;
    };
    const State states[] = {
        {102, kDisabledFill, kDisabledLine, 1},         // disabled
        {103, kDownFill, QColor(0x4f, 0x86, 0xcb), 1},  // pressed
        {104, kSurface, kAccent, 1.5},                  // focused
        {105, kSurface, QColor(0xb9, 0xc3, 0xcd), 1},   // normal
        {106, kHoverFill, QColor(0x73, 0xa1, 0xdb), 1}, // hover
    };
    for (const State& s : states) {
        Save(
            s.id, 21, 21,
            [&](QPainter& p) {
                Box(p, QRectF(0, 0, 21, 21), 4, s.fill, s.border, s.width);
                if (s.id == 105 || s.id == 106) {
                    // A faint lower edge gives the resting button a little depth.
                    p.setPen(Qt::NoPen);
                    p.setBrush(QColor(0, 0, 0, 14));
                    p.drawRect(QRectF(3, 19, 15, 1));
                }
            },
            kMagenta);
    }
    // Primary (accent) buttons of the reading window: normal, hover, pressed.
    const std::pair<int, QColor> primary[] = {
        {153, kAccent}, {154, kAccentHover}, {155, kAccentDown}};
    for (const auto& [id, fill] : primary) {
        QColor f = fill;
        Save(
            id, 21, 21, [f](QPainter& p) { Box(p, QRectF(0, 0, 21, 21), 4, f, f.darker(115)); },
            kMagenta);
    }
    // The thin toggle under the post view (70 x 8 in use): normal and hover.
    const std::pair<int, QColor> toggle[] = {{156, QColor(0xc6, 0xce, 0xd6)}, {157, kAccentHover}};
    for (const auto& [id, fill] : toggle) {
        QColor f = fill;
        Save(
            id, 21, 9,
            [f](QPainter& p) {
                p.setPen(Qt::NoPen);
                p.setBrush(f);
                p.drawRoundedRect(QRectF(0, 0, 21, 9), 4.5, 4.5);
                p.setBrush(QColor(255, 255, 255, 200));
                p.drawRoundedRect(QRectF(7.5, 3.5, 6, 2), 1, 1);
            },
            kMagenta);
    }
}

// Tab buttons of the main window: 31 x 31 with rounded top corners. The pressed tab is white
// with an accent line on top, so it joins the white page below it.
void TabButtons() {
    struct Tab {
        int id;
        QColor fill, border;
        bool accent;
    };
    const Tab tabs[] = {
        {144, QColor(0xe2, 0xe7, 0xec), QColor(0xd2, 0xd9, 0xe0), false},
        {145, QColor(0xd6, 0xe2, 0xef), QColor(0xbf, 0xcd, 0xdc), false},
        {146, kSurface, QColor(0xd2, 0xd9, 0xe0), true},
    };
    for (const Tab& t : tabs) {
        Save(
            t.id, 31, 31,
            [&](QPainter& p) {
                QPainterPath shape;
                shape.addRoundedRect(QRectF(0, 0, 31, 36), 5, 5);
                p.setClipRect(QRectF(0, 0, 31, 31));
                p.setPen(Qt::NoPen);
                p.setBrush(t.border);
                p.drawPath(shape);
                QPainterPath inner;
                inner.addRoundedRect(QRectF(1, 1, 29, 36), 4, 4);
                p.setBrush(t.fill);
                p.drawPath(inner);
                if (t.accent) {
                    p.setClipPath(inner);
                    p.fillRect(QRectF(0, 1, 31, 2.5), kAccent);
                }
            },
            kMagenta);
    }
}

void Tick(QPainter& p, const QColor& colour) {
    QPen pen(colour, 1.8);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QPainterPath tick;
    tick.moveTo(4.2, 8.3);
    tick.lineTo(6.9, 11.0);
    tick.lineTo(11.9, 5.2);
    p.drawPath(tick);
}

// Check boxes 320-329 and radio boxes 340-349 (same order), 16 x 16, black around them.
void CheckAndRadio() {
    struct Look {
        int offset; // from 320 (or 340)
        bool ticked;
        QColor fill, border;
        bool focusRing;
    };
    const QColor boxLine(0x98, 0xa5, 0xb3);
    const Look looks[] = {
        {6, false, kSurface, boxLine, false},
        {8, false, kHoverFill, kAccent, false},
        {2, false, kDownFill, kAccentDown, false},
        {0, false, kDisabledFill, kDisabledLine, false},
        {4, false, kSurface, kAccent, true},
        {7, true, kAccent, kAccent.darker(110), false},
        {9, true, kAccentHover, kAccentHover.darker(110), false},
        {3, true, kAccentDown, kAccentDown.darker(110), false},
        {1, true, QColor(0xb5, 0xc3, 0xd2), QColor(0xb5, 0xc3, 0xd2), false},
        {5, true, kAccent, kAccentDown, true},
    };
    for (const Look& l : looks) {
        Save(
            320 + l.offset, 16, 16,
            [&](QPainter& p) {
                Box(p, QRectF(0.5, 0.5, 15, 15), 3.5, l.fill, l.border, l.focusRing ? 1.6 : 1);
                if (l.ticked)
                    Tick(p, QColor(0xff, 0xff, 0xfe));
            },
            kBlack);
        Save(
            340 + l.offset, 16, 16,
            [&](QPainter& p) {
                QRectF r(0.5, 0.5, 15, 15);
                p.setPen(Qt::NoPen);
                p.setBrush(l.border);
                p.drawEllipse(r);
                qreal w = l.focusRing ? 1.6 : 1;
                p.setBrush(l.fill);
                p.drawEllipse(r.adjusted(w, w, -w, -w));
                if (l.ticked) {
                    p.setBrush(QColor(0xff, 0xff, 0xfe));
                    p.drawEllipse(QRectF(5, 5, 6, 6));
                }
            },
            kBlack);
    }
}

// List header (330), progress frame (331) and fill (332), panel background (147).
void ListParts() {
    Save(
        330, 21, 29,
        [](QPainter& p) {
            QLinearGradient g(0, 0, 0, 29);
            g.setColorAt(0, QColor(0xfa, 0xfb, 0xfc));
            g.setColorAt(1, QColor(0xf0, 0xf3, 0xf6));
            p.fillRect(QRectF(0, 0, 21, 29), g);
            p.fillRect(QRectF(0, 28, 21, 1), kLine);
        },
        std::nullopt);
    Save(
        331, 21, 15, [](QPainter& p) { Box(p, QRectF(0, 0, 21, 15), 4, kBody, kLine); }, kMagenta);
    Save(
        332, 21, 13,
        [](QPainter& p) {
            QLinearGradient g(0, 0, 0, 13);
            g.setColorAt(0, kAccentHover);
            g.setColorAt(1, kAccent);
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(QRectF(0, 0, 21, 13), 3, 3);
        },
        kMagenta);
    Save(
        147, 21, 21, [](QPainter& p) { p.fillRect(QRectF(0, 0, 21, 21), kSurface); }, std::nullopt);
}

QFont IconFont(int pixels) {
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(pixels);
    f.setBold(true);
    return f;
}

// The program's icon, an open book on the accent colour, in a 16 x 16 frame.
void DrawProgramIcon(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3.5, 3.5);
    // An open book: two pages and a spine.
    p.setBrush(QColor(0xff, 0xff, 0xff));
    QPainterPath left;
    left.moveTo(2.8, 4.6);
    left.quadTo(5.5, 3.6, 7.6, 5.0);
    left.lineTo(7.6, 12.2);
    left.quadTo(5.5, 10.9, 2.8, 11.8);
    left.closeSubpath();
    QPainterPath right;
    right.moveTo(13.2, 4.6);
    right.quadTo(10.5, 3.6, 8.4, 5.0);
    right.lineTo(8.4, 12.2);
    right.quadTo(10.5, 10.9, 13.2, 11.8);
    right.closeSubpath();
    p.drawPath(left);
    p.drawPath(right);
}

// The program's icon for the desktop, in the sizes of the icon theme: "<size>x<size>.png".
void DesktopIcons() {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(size / 16.0, size / 16.0);
            DrawProgramIcon(p);
        }
        const QString name = QStringLiteral("%1x%1.png").arg(size);
        if (!image.save(QDir(outDir).filePath(name), "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            ++failures;
        }
    }
}

// Icons: 128 the program (16 x 16, caption), 149 warning, 150 question, 151 information
// (32 x 32, message box), 152 list bullet (16 x 16). Transparent around them.
void Icons() {
    Save(128, 16, 16, DrawProgramIcon, std::nullopt);
    auto roundIcon = [](const QColor& colour, const QString& mark) {
        return [colour, mark](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            p.drawEllipse(QRectF(2, 2, 28, 28));
            p.setPen(QColor(0xff, 0xff, 0xff));
            p.setFont(IconFont(19));
            p.drawText(QRectF(2, 1, 28, 28), Qt::AlignCenter, mark);
        };
    };
    Save(
        149, 32, 32,
        [](QPainter& p) {
            QPainterPath tri;
            tri.moveTo(16, 3);
            tri.lineTo(30, 28);
            tri.lineTo(2, 28);
            tri.closeSubpath();
            QPen pen(QColor(0xe0, 0x9b, 0x1c), 3);
            pen.setJoinStyle(Qt::RoundJoin);
            p.setPen(pen);
            p.setBrush(QColor(0xe9, 0xa8, 0x2a));
            p.drawPath(tri);
            p.setPen(QColor(0xff, 0xff, 0xff));
            p.setFont(IconFont(17));
            p.drawText(QRectF(2, 8, 28, 20), Qt::AlignCenter, QStringLiteral("!"));
        },
        std::nullopt);
    Save(150, 32, 32, roundIcon(kAccent, QStringLiteral("?")), std::nullopt);
    Save(151, 32, 32, roundIcon(QColor(0x3a, 0x9a, 0x6a), QStringLiteral("i")), std::nullopt);
    Save(
        152, 16, 16,
        [](QPainter& p) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawRoundedRect(QRectF(3, 2, 10, 12), 2, 2);
            p.setBrush(QColor(0xff, 0xff, 0xff));
            for (int i = 0; i < 3; ++i)
                p.drawRect(QRectF(5, 5 + i * 2.5, 6, 1.2));
        },
        std::nullopt);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const bool desktop = argc == 3 && qstrcmp(argv[1], "--desktop-icons") == 0;
    if (argc != 2 && !desktop) {
        std::fprintf(stderr, "usage: SkinArt OUTPUT-FOLDER | SkinArt --desktop-icons FOLDER\n");
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[desktop ? 2 : 1]);
    QDir().mkpath(outDir);
    if (desktop) {
        DesktopIcons();
        return failures == 0 ? 0 : 1;
    }
    Frame();
    CaptionButtons();
    PushButtons();
    TabButtons();
    CheckAndRadio();
    ListParts();
    Icons();
    return failures == 0 ? 0 : 1;
}

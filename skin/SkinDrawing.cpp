#include "skin/SkinDrawing.h"

#include <QFile>
#include <QHash>
#include <QPainter>

#include <cmath>
#include <vector>

// Resources of a static library must be registered by name from outside any namespace.
static void InitSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace {

QHash<int, QImage>& Cache() {
    static QHash<int, QImage> cache;
    return cache;
}

QImage LoadFile(const QString& path, qreal ratio) {
    QImage image;
    if (!QFile::exists(path) || !image.load(path, "PNG"))
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    return image;
}

} // namespace

QImage LoadSkinBitmap(int resourceId, qreal devicePixelRatio) {
    static const bool registered = (InitSkinResources(), true);
    (void)registered;
    const bool twice = devicePixelRatio > 1.0;
    const int key = resourceId * 2 + (twice ? 1 : 0);
    auto& cache = Cache();
    auto found = cache.constFind(key);
    if (found != cache.constEnd())
        return *found;
    QImage image;
    if (twice)
        image = LoadFile(QStringLiteral(":/skin/%1@2x.png").arg(resourceId), 2.0);
    if (image.isNull())
        image = LoadFile(QStringLiteral(":/skin/%1.png").arg(resourceId), 1.0);
    cache.insert(key, image);
    return image;
}

QMargins DefaultNineSliceMargins(QSize logicalSize) {
    const int h = qMax(0, (logicalSize.width() - 1) / 2);
    const int v = qMax(0, (logicalSize.height() - 1) / 2);
    return QMargins(h, v, h, v);
}

namespace {

// Splits a length into near, middle and far parts, shrinking the two margins in proportion
// when they do not fit.
void Split(int length, int nearMargin, int farMargin, int& nearOut, int& farOut) {
    nearMargin = qMax(0, nearMargin);
    farMargin = qMax(0, farMargin);
    if (nearMargin + farMargin <= length || nearMargin + farMargin == 0) {
        nearOut = nearMargin;
        farOut = farMargin;
        return;
    }
    nearOut = length * nearMargin / (nearMargin + farMargin);
    farOut = length - nearOut;
}

} // namespace

void NineSliceStretch(QPainter& painter, const QRect& target, const QImage& source,
                      const QMargins& margins, bool fillCentre) {
    if (source.isNull() || target.isEmpty())
        return;
    const qreal ratio = source.devicePixelRatio();
    const int sw = source.width();
    const int sh = source.height();
    // Source cuts in device pixels, clamped inside the bitmap.
    const int sl = qBound(0, qRound(margins.left() * ratio), sw);
    const int sr = qBound(0, qRound(margins.right() * ratio), sw - sl);
    const int st = qBound(0, qRound(margins.top() * ratio), sh);
    const int sb = qBound(0, qRound(margins.bottom() * ratio), sh - st);

    int tl, tr, tt, tb;
    Split(target.width(), margins.left(), margins.right(), tl, tr);
    Split(target.height(), margins.top(), margins.bottom(), tt, tb);

    const int sx[4] = {0, sl, sw - sr, sw};
    const int sy[4] = {0, st, sh - sb, sh};
    const int tx[4] = {target.left(), target.left() + tl, target.left() + target.width() - tr,
                       target.left() + target.width()};
    const int ty[4] = {target.top(), target.top() + tt, target.top() + target.height() - tb,
                       target.top() + target.height()};

    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (row == 1 && col == 1 && !fillCentre)
                continue;
            QRect to(QPoint(tx[col], ty[row]), QPoint(tx[col + 1] - 1, ty[row + 1] - 1));
            QRect from(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
            if (to.isEmpty() || from.isEmpty())
                continue;
            painter.drawImage(QRectF(to), source, QRectF(from));
        }
    }
    painter.restore();
}

QRegion ColourKeyRegion(const QImage& image, const QColor& key) {
    if (image.isNull())
        return {};
    const QImage argb = image.format() == QImage::Format_ARGB32_Premultiplied ||
                                image.format() == QImage::Format_ARGB32 ||
                                image.format() == QImage::Format_RGB32
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    const bool premultiplied = argb.format() == QImage::Format_ARGB32_Premultiplied;
    const QRgb keyRgb = key.rgb() & 0xffffff;
    const qreal ratio = image.devicePixelRatio();
    const int width = qFloor(argb.width() / ratio);
    const int height = qFloor(argb.height() / ratio);

    auto isKey = [&](QRgb px) {
        // Opaque pixels (nearly all of them) compare directly; only partly transparent ones of
        // a premultiplied image need their colour restored first.
        if (premultiplied && qAlpha(px) != 0 && qAlpha(px) != 255)
            px = qUnpremultiply(px);
        return (px & 0xffffff) == keyRgb;
    };

    // At a ratio above 1, each logical pixel is judged by the device pixel at its centre.
    std::vector<int> columns(width);
    for (int x = 0; x < width; ++x)
        columns[x] = qMin(argb.width() - 1, int(std::floor((x + 0.5) * ratio)));

    QRegion region;
    std::vector<std::pair<int, int>> previous, runs;
    int bandTop = 0;
    auto flush = [&](int bandBottom) {
        for (auto [x0, x1] : previous)
            region += QRect(x0, bandTop, x1 - x0, bandBottom - bandTop);
    };
    for (int y = 0; y < height; ++y) {
        const int sy = qMin(argb.height() - 1, int(std::floor((y + 0.5) * ratio)));
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(sy));
        runs.clear();
        int start = -1;
        for (int x = 0; x < width; ++x) {
            const bool inside = !isKey(line[columns[x]]);
            if (inside && start < 0)
                start = x;
            if (!inside && start >= 0) {
                runs.emplace_back(start, x);
                start = -1;
            }
        }
        if (start >= 0)
            runs.emplace_back(start, width);
        // Rows with the same runs join into one band, which keeps the region small.
        if (runs != previous) {
            flush(y);
            previous = runs;
            bandTop = y;
        }
    }
    flush(height);
    return region;
}

void ClearKeyPixels(QImage& image, const QColor& key) {
    if (image.isNull())
        return;
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        const qreal ratio = image.devicePixelRatio();
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
    }
    const QRgb keyPixel = 0xff000000u | (key.rgb() & 0xffffff);
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (line[x] == keyPixel)
                line[x] = 0;
        }
    }
}

QImage KeyedCopy(const QImage& image, const QColor& key) {
    QImage out = image;
    ClearKeyPixels(out, key);
    return out;
}

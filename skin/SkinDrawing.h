#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QRegion>

class QPainter;

// Drawing helpers shared by the skinned controls: bitmaps by resource number, nine-slice
// stretching and colour keys.

// The bitmap with the given resource number ("<id>.png", or "<id>@2x.png" when the device pixel
// ratio is above 1 and that file exists), with its device pixel ratio set, so its logical size
// is the same at every ratio. A missing bitmap gives a null image. Loaded files are cached.
QImage LoadSkinBitmap(int resourceId, qreal devicePixelRatio = 1.0);

// The default nine-slice margins of a bitmap of this logical size: (size - 1) / 2 on each side,
// leaving a one-pixel centre row and column.
QMargins DefaultNineSliceMargins(QSize logicalSize);

// Draws `source` into `target` (logical coordinates) cut by `margins` (logical pixels of the
// source): the corners unscaled, the edge strips stretched along their length, the centre
// stretched only when `fillCentre` is set. When the target is smaller than two margins, the
// margins shrink in proportion. Nearest-pixel scaling, so colour keys stay exact.
void NineSliceStretch(QPainter& painter, const QRect& target, const QImage& source,
                      const QMargins& margins, bool fillCentre);

// The area of the image (in logical pixels) whose pixels differ from `key`: each row's runs of
// such pixels joined into one region. Alpha is ignored, so a keyed image still matches.
QRegion ColourKeyRegion(const QImage& image, const QColor& key);

// Makes every opaque pixel of the key colour fully transparent (converting the image to
// premultiplied ARGB when needed), in place or on a copy.
void ClearKeyPixels(QImage& image, const QColor& key);
QImage KeyedCopy(const QImage& image, const QColor& key);

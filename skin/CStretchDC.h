#pragma once

#include "skin/CBitmapDC.h"

#include <QColor>
#include <QMargins>
#include <QRegion>

#include <optional>

// A surface that keeps a source bitmap and renders it at any target size by NineSliceStretch.
// Render() re-renders only when the target size, the device pixel ratio or a setting changed,
// so a background is drawn once per size however often it is painted.
class CStretchDC : public CBitmapDC {
public:
    CStretchDC() = default;

    // The skin bitmap to stretch (0 for none); it is reloaded at the ratio of each render.
    void SetSourceBitmap(int resourceId);
    // A source image of one's own (kept as given, at its own ratio).
    void SetSource(const QImage& source);
    int SourceBitmap() const { return resourceId_; }
    bool HasSource() const;
    // The source's logical size, at ratio 1 when it comes from a bitmap.
    QSize SourceSize() const;

    // Margins of the nine slices in logical source pixels; by default (size - 1) / 2.
    void SetMargins(const QMargins& margins);
    void SetFillCentre(bool fill);
    // Pixels of this colour become transparent on the rendered surface, and KeyRegion() is the
    // area of all other pixels. Without a key, the region is the whole surface.
    void SetColourKey(std::optional<QColor> key);

    // Renders at the logical size when anything changed since the last render. Returns true
    // when it rendered. A missing source leaves the surface empty.
    bool Render(QSize logicalSize, qreal devicePixelRatio = 1.0);
    void MarkStale() { stale_ = true; }

    // Pixels of the last render that are not the key colour (logical coordinates).
    const QRegion& KeyRegion() const { return region_; }
    int RenderCount() const { return renders_; }

private:
    QImage SourceAt(qreal ratio) const;

    int resourceId_ = 0;
    QImage ownSource_;
    std::optional<QMargins> margins_;
    bool fillCentre_ = true;
    std::optional<QColor> key_;
    bool stale_ = true;
    QSize renderedSize_;
    qreal renderedRatio_ = 0;
    QRegion region_;
    int renders_ = 0;
};

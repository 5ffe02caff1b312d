#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

class QPainter;

// An off-screen drawing surface holding one bitmap: a skin bitmap or an empty surface of a
// given logical size. Controls paint into it and copy it to the screen in one step.
class CBitmapDC {
public:
    CBitmapDC() = default;
    virtual ~CBitmapDC() = default;

    // An empty (transparent) surface of the logical size at the device pixel ratio. Keeps the
    // existing surface, cleared, when size and ratio are unchanged.
    void CreateSurface(QSize logicalSize, qreal devicePixelRatio = 1.0);
    // The skin bitmap with this resource number; false (and an empty surface) when it is
    // missing.
    bool LoadBitmap(int resourceId, qreal devicePixelRatio = 1.0);
    void SetImage(const QImage& image) { image_ = image; }

    bool IsEmpty() const { return image_.isNull(); }
    // Logical size (device pixels divided by the ratio).
    QSize Size() const;
    qreal DevicePixelRatio() const { return image_.isNull() ? 1.0 : image_.devicePixelRatio(); }
    const QImage& Image() const { return image_; }
    QImage& Image() { return image_; }

    // Copies the whole surface with its top-left corner at `at` (logical coordinates).
    void DrawTo(QPainter& painter, QPoint at = QPoint()) const;

protected:
    QImage image_;
};

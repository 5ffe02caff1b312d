#include "skin/CBitmapDC.h"

#include "skin/SkinDrawing.h"

#include <QPainter>

#include <cmath>

void CBitmapDC::CreateSurface(QSize logicalSize, qreal devicePixelRatio) {
    const QSize device(int(std::ceil(logicalSize.width() * devicePixelRatio)),
                       int(std::ceil(logicalSize.height() * devicePixelRatio)));
    if (device.isEmpty()) {
        image_ = QImage();
        return;
    }
    if (image_.size() != device || image_.devicePixelRatio() != devicePixelRatio ||
        image_.format() != QImage::Format_ARGB32_Premultiplied) {
        image_ = QImage(device, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(devicePixelRatio);
    }
    image_.fill(Qt::transparent);
}

bool CBitmapDC::LoadBitmap(int resourceId, qreal devicePixelRatio) {
    image_ = LoadSkinBitmap(resourceId, devicePixelRatio);
    return !image_.isNull();
}

QSize CBitmapDC::Size() const {
    if (image_.isNull())
        return {};
    const qreal ratio = image_.devicePixelRatio();
    return QSize(qRound(image_.width() / ratio), qRound(image_.height() / ratio));
}

void CBitmapDC::DrawTo(QPainter& painter, QPoint at) const {
    if (!image_.isNull())
        painter.drawImage(at, image_);
}

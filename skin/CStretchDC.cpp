#include "skin/CStretchDC.h"

#include "skin/SkinDrawing.h"

#include <QPainter>

void CStretchDC::SetSourceBitmap(int resourceId) {
    resourceId_ = resourceId;
    ownSource_ = QImage();
    stale_ = true;
}

void CStretchDC::SetSource(const QImage& source) {
    resourceId_ = 0;
    ownSource_ = source;
    stale_ = true;
}

bool CStretchDC::HasSource() const {
    return !SourceAt(1.0).isNull();
}

QSize CStretchDC::SourceSize() const {
    const QImage source = SourceAt(1.0);
    if (source.isNull())
        return {};
    const qreal ratio = source.devicePixelRatio();
    return QSize(qRound(source.width() / ratio), qRound(source.height() / ratio));
}

void CStretchDC::SetMargins(const QMargins& margins) {
    margins_ = margins;
    stale_ = true;
}

void CStretchDC::SetFillCentre(bool fill) {
    if (fill != fillCentre_)
        stale_ = true;
    fillCentre_ = fill;
}

void CStretchDC::SetColourKey(std::optional<QColor> key) {
    key_ = key;
    stale_ = true;
}

QImage CStretchDC::SourceAt(qreal ratio) const {
    if (resourceId_ != 0)
        return LoadSkinBitmap(resourceId_, ratio);
    return ownSource_;
}

bool CStretchDC::Render(QSize logicalSize, qreal devicePixelRatio) {
    if (!stale_ && logicalSize == renderedSize_ && devicePixelRatio == renderedRatio_)
        return false;
    stale_ = false;
    renderedSize_ = logicalSize;
    renderedRatio_ = devicePixelRatio;
    ++renders_;
    const QImage source = SourceAt(devicePixelRatio);
    if (source.isNull() || logicalSize.isEmpty()) {
        image_ = QImage();
        region_ = QRegion();
        return true;
    }
    CreateSurface(logicalSize, devicePixelRatio);
    {
        QPainter painter(&image_);
        const QSize sourceSize(qRound(source.width() / source.devicePixelRatio()),
                               qRound(source.height() / source.devicePixelRatio()));
        NineSliceStretch(painter, QRect(QPoint(), logicalSize), source,
                         margins_.value_or(DefaultNineSliceMargins(sourceSize)), fillCentre_);
    }
    if (key_) {
        region_ = ColourKeyRegion(image_, *key_);
        ClearKeyPixels(image_, *key_);
    } else {
        region_ = QRegion(QRect(QPoint(), logicalSize));
    }
    return true;
}

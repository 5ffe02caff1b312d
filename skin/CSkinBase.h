#pragma once

class CBitmapDC;

// The mix-in of every skinned container (dialogs and child dialogs).
class CSkinBase {
public:
    virtual ~CSkinBase() = default;

    // The container's rendered background at its current size (null before the first
    // rendering or when it has no background of its own). Qt composes a child over its parent's
    // painting, so transparent children need not copy from it; it is there for controls that
    // want the exact pixels beneath them.
    virtual const CBitmapDC* BackgroundSurface() const = 0;
};

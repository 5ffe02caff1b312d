#include "server/fetch/forms/VerificationPicture.h"

#include <algorithm>
#include <mutex>

namespace {

// Blank bytes at the start of the bitmap mean the picture has not loaded yet.
constexpr int kLoadedProbeBytes = 4000;

std::mutex pictureMutex;
VerificationPicture& Picture() {
    static VerificationPicture picture{0, 0, 0, QByteArray(kVerificationPictureBufferSize, '\0')};
    return picture;
}

} // namespace

VerificationPicture CurrentVerificationPicture() {
    std::lock_guard lock(pictureMutex);
    return Picture();
}

void ClearVerificationPicture() {
    std::lock_guard lock(pictureMutex);
    Picture().length = 0;
    Picture().bits.fill('\0');
}

bool RenderVerificationPicture(LivePage& page, const QString& selector) {
    ClearVerificationPicture();
    int width = 0;
    int height = 0;
    if (!page.ElementSize(selector, &width, &height) || width <= 0 || height <= 0)
        return false;
    if (qint64(width) * height * 4 > kVerificationPictureBufferSize)
        return false;
    QByteArray bits;
    if (!page.RenderElement(selector, width, height, &bits))
        return false;
    const int copied = std::min<int>(int(bits.size()), kVerificationPictureBufferSize);
    std::lock_guard lock(pictureMutex);
    VerificationPicture& picture = Picture();
    picture.bits.fill('\0');
    std::copy_n(bits.constData(), copied, picture.bits.data());
    picture.width = width;
    picture.height = height;
    const char* probe = picture.bits.constData();
    if (std::all_of(probe, probe + kLoadedProbeBytes, [](char c) { return c == 0; })) {
        picture.length = 0;
        return false;
    }
    picture.length = copied;
    return true;
}

#include "tools/demo-forum/PngWriter.h"

#include "tools/demo-forum/DemoRandom.h"

#include <zlib.h>

RgbPicture::RgbPicture(int w, int h, uint32_t background)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {
    FillRect(0, 0, w, h, background);
}

void RgbPicture::Set(int x, int y, uint32_t rgb) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = static_cast<uint8_t>(rgb >> 16);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb);
}

void RgbPicture::FillRect(int x, int y, int w, int h, uint32_t rgb) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            Set(i, j, rgb);
}

namespace {

void appendBigEndian(QByteArray& out, uint32_t v) {
    out.append(static_cast<char>(v >> 24));
    out.append(static_cast<char>(v >> 16));
    out.append(static_cast<char>(v >> 8));
    out.append(static_cast<char>(v));
}

void appendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    appendBigEndian(out, static_cast<uint32_t>(data.size()));
    QByteArray typed(type, 4);
    typed += data;
    out += typed;
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(typed.constData()),
                            static_cast<uInt>(typed.size()));
    appendBigEndian(out, static_cast<uint32_t>(crc));
}

// 5x7 digit glyphs, one row per byte, bit 4 the leftmost column.
const uint8_t kDigitGlyphs[10][7] = {
    {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e}, {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e},
    {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f}, {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e},
    {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02}, {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e},
    {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e}, {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e}, {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c},
};

} // namespace

QByteArray EncodePng(const RgbPicture& picture) {
    QByteArray raw;
    raw.reserve((picture.width * 3 + 1) * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        raw.append('\0'); // filter type none
        raw.append(reinterpret_cast<const char*>(
                       &picture.pixels[static_cast<size_t>(y) * picture.width * 3]),
                   picture.width * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.constData()), static_cast<uLong>(raw.size()),
                  6) != Z_OK)
        return {};
    packed.truncate(static_cast<qsizetype>(packedSize));

    QByteArray header;
    appendBigEndian(header, static_cast<uint32_t>(picture.width));
    appendBigEndian(header, static_cast<uint32_t>(picture.height));
    header.append(char(8)); // bit depth
    header.append(char(2)); // colour type RGB
    header.append(char(0));
    header.append(char(0));
    header.append(char(0));

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", packed);
    appendChunk(out, "IEND", {});
    return out;
}

QByteArray MakeThreadPicture(uint64_t seed) {
    DemoRandom random(seed);
    const int w = random.Between(120, 320);
    const int h = random.Between(90, 240);
    const auto colour = [&random] { return static_cast<uint32_t>(random.Next() & 0xffffff); };
    RgbPicture picture(w, h, colour());
    const int bands = random.Between(3, 8);
    for (int i = 0; i < bands; ++i)
        picture.FillRect(0, h * i / bands, w, h / (2 * bands) + 1, colour());
    const int blocks = random.Between(2, 6);
    for (int i = 0; i < blocks; ++i)
        picture.FillRect(random.Below(w), random.Below(h), random.Between(8, w / 2),
                         random.Between(8, h / 2), colour());
    return EncodePng(picture);
}

QByteArray MakeVerificationPicture(const QString& digits, uint64_t seed) {
    DemoRandom random(seed);
    RgbPicture picture(kVerifyWidth, kVerifyHeight, 0xf4f1e8);
    for (int i = 0; i < 120; ++i)
        picture.Set(random.Below(kVerifyWidth), random.Below(kVerifyHeight), 0xa0a0c0);
    const int scale = 3;
    for (int d = 0; d < digits.size(); ++d) {
        const int digit = digits[d].unicode() - '0';
        if (digit < 0 || digit > 9)
            continue;
        const int left = 8 + d * 22;
        const int top = 4 + random.Below(4) - 1;
        const uint32_t ink = 0x203060 + static_cast<uint32_t>(random.Below(0x40)) * 0x10000;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (kDigitGlyphs[digit][row] & (0x10 >> col))
                    picture.FillRect(left + col * scale, top + row * scale, scale, scale, ink);
    }
    return EncodePng(picture);
}

#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

// A picture of 8-bit RGB pixels, row by row.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // width * height * 3

    RgbPicture(int w, int h, uint32_t background);
    void Set(int x, int y, uint32_t rgb);
    void FillRect(int x, int y, int w, int h, uint32_t rgb);
};

// The picture as a PNG file; empty when compression fails.
QByteArray EncodePng(const RgbPicture& picture);

// A thread picture: bands and blocks whose colours and size follow from the seed.
QByteArray MakeThreadPicture(uint64_t seed);
// The verification picture: the code's digits on a light ground with some noise.
// Its size is kVerifyWidth x kVerifyHeight.
QByteArray MakeVerificationPicture(const QString& digits, uint64_t seed);
inline constexpr int kVerifyWidth = 100;
inline constexpr int kVerifyHeight = 30;

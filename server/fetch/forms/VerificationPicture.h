#pragma once

#include "server/fetch/forms/LivePage.h"

#include <QByteArray>
#include <QString>

inline constexpr int kVerificationPictureBufferSize = 50000;

// The last verification picture drawn: 32-bit pixels (blue, green, red, alpha), rows top to
// bottom. A length of 0 means no picture.
struct VerificationPicture {
    int length = 0;
    int width = 0;
    int height = 0;
    QByteArray bits; // always kVerificationPictureBufferSize bytes, zero after `length`
};

// A copy of the process-wide picture, for the login answer.
VerificationPicture CurrentVerificationPicture();
// No picture.
void ClearVerificationPicture();

// Draws the picture element of the live page into the process-wide buffer. False (and no
// picture) when it is larger than the buffer, cannot be drawn, or has not loaded yet.
bool RenderVerificationPicture(LivePage& page, const QString& selector);

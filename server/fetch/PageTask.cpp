#include "server/fetch/PageTask.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kCharBytes = 2;
constexpr int kLabelOffset = 4;
constexpr int kLoginUserOffset = 4;
constexpr int kLoginPasswordOffset = kLoginUserOffset + kLoginSlotChars * kCharBytes;
constexpr int kLoginCodeOffset = kLoginPasswordOffset + kLoginSlotChars * kCharBytes;
constexpr int kWholePayloadChars = kPageTaskPayloadSize / kCharBytes;

} // namespace

int32_t PageTask::PayloadNumber(int index) const {
    const int offset = index * 4;
    if (index < 0 || offset + 4 > kPageTaskPayloadSize)
        return 0;
    int32_t value = 0;
    std::memcpy(&value, payload.data() + offset, sizeof value);
    return value;
}

void PageTask::SetPayloadNumber(int index, int32_t value) {
    const int offset = index * 4;
    if (index < 0 || offset + 4 > kPageTaskPayloadSize)
        return;
    std::memcpy(payload.data() + offset, &value, sizeof value);
}

QString PageTask::PayloadText(int byteOffset, int slotChars) const {
    if (byteOffset < 0 || byteOffset >= kPageTaskPayloadSize)
        return {};
    // Never read past the payload, even when a sender left out the zero.
    const int available = std::min(slotChars, (kPageTaskPayloadSize - byteOffset) / kCharBytes);
    QString text;
    for (int i = 0; i < available; ++i) {
        char16_t c = 0;
        std::memcpy(&c, payload.data() + byteOffset + i * kCharBytes, kCharBytes);
        if (c == 0)
            break;
        text.append(QChar(c));
    }
    return text;
}

void PageTask::SetPayloadText(int byteOffset, const QString& text, int maxChars, int slotChars) {
    if (byteOffset < 0 || byteOffset >= kPageTaskPayloadSize)
        return;
    const int slot = std::min(slotChars, (kPageTaskPayloadSize - byteOffset) / kCharBytes);
    const int count = std::min({static_cast<int>(text.size()), maxChars, slot - 1});
    std::memset(payload.data() + byteOffset, 0, static_cast<size_t>(slot) * kCharBytes);
    if (count > 0)
        std::memcpy(payload.data() + byteOffset, text.utf16(),
                    static_cast<size_t>(count) * kCharBytes);
}

void PageTask::SetLabel(int32_t number, const QString& label) {
    SetPayloadNumber(0, number);
    SetPayloadText(kLabelOffset, label, kFollowLabelMaxChars, kFollowLabelMaxChars + 1);
}

QString PageTask::Label() const {
    return PayloadText(kLabelOffset, kFollowLabelMaxChars + 1);
}

void PageTask::SetLogin(const QString& userName, const QString& password, const QString& code) {
    SetPayloadNumber(0, 0);
    SetPayloadText(kLoginUserOffset, userName, kLoginFieldMaxChars, kLoginSlotChars);
    SetPayloadText(kLoginPasswordOffset, password, kLoginFieldMaxChars, kLoginSlotChars);
    SetPayloadText(kLoginCodeOffset, code, kLoginCodeMaxChars, kLoginSlotChars);
}

QString PageTask::LoginUserName() const {
    return PayloadText(kLoginUserOffset, kLoginSlotChars);
}
QString PageTask::LoginPassword() const {
    return PayloadText(kLoginPasswordOffset, kLoginSlotChars);
}
QString PageTask::LoginCode() const {
    return PayloadText(kLoginCodeOffset, kLoginSlotChars);
}

void PageTask::SetReplyText(const QString& text) {
    SetPayloadText(0, text, kReplyMaxChars, kReplyMaxChars + 1);
}
QString PageTask::ReplyText() const {
    return PayloadText(0, kReplyMaxChars + 1);
}

void PageTask::SetVersionText(const QString& version) {
    SetPayloadText(0, version, kWholePayloadChars - 1, kWholePayloadChars);
}
QString PageTask::VersionText() const {
    return PayloadText(0, kWholePayloadChars);
}

#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Why a page is fetched; the value travels in PageTask::type.
enum PageTaskType : int32_t {
    TaskFollowFirstPage = 0, // first page of a new follow (also the follow request itself)
    TaskStartupRefresh = 1,
    TaskJumpToLast = 2,  // payload: number, next-page address
    TaskWalkToPage = 3,  // payload: target page
    TaskNewestPages = 4, // payload: target page
    TaskGuardRefresh = 5,
    TaskUserPage = 6,     // payload: first page, second page, 0
    TaskEarlierPages = 7, // payload: first page, second page, 0
    TaskLaterPages = 8,   // payload: first page, second page, 0
    TaskBatchPage = 9,
    TaskLogin = 10, // payload: 0, user name, password, verification code
    TaskReply = 12, // payload: reply text
    TaskReaderRefresh = 13,
    TaskFrontPage = 14,
    TaskPicture = 16,
    TaskDiscountPage = 17,
};

inline constexpr int kPageTaskPayloadSize = 10004;
inline constexpr int kFollowLabelMaxChars = 1024;
inline constexpr int kLoginFieldMaxChars = 32;
inline constexpr int kLoginCodeMaxChars = 8;
inline constexpr int kLoginSlotChars = 33;
inline constexpr int kReplyMaxChars = 5000;

// The purpose of a request. The payload is a fixed block laid out by the type: numbers are
// int32, texts UTF-16 and zero-terminated, so a request copies as one plain value.
struct PageTask {
    int32_t followNumber = 0;
    int32_t type = 0;
    QString databaseFile;
    std::array<char, kPageTaskPayloadSize> payload{};

    // Number slot `index` (4 bytes each from the start of the payload).
    int32_t PayloadNumber(int index) const;
    void SetPayloadNumber(int index, int32_t value);
    // A text starting at `byteOffset`, read up to its zero or `slotChars` characters.
    QString PayloadText(int byteOffset, int slotChars) const;
    // Writes at most `maxChars` characters and a terminating zero; the rest of the slot is cleared.
    void SetPayloadText(int byteOffset, const QString& text, int maxChars, int slotChars);

    // The layouts that the workflows use.
    void SetLabel(int32_t number, const QString& label); // follow request and type 2
    QString Label() const;
    void SetLogin(const QString& userName, const QString& password, const QString& code);
    QString LoginUserName() const;
    QString LoginPassword() const;
    QString LoginCode() const;
    void SetReplyText(const QString& text); // type 12
    QString ReplyText() const;
    void SetVersionText(const QString& version); // version request
    QString VersionText() const;
};

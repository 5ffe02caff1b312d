#pragma once

// The command records that pass between the reader and the server. Every layout is a
// packed, byte-aligned structure whose offsets are fixed by the peers: both programs, and
// any tool that talks to them, rely on them byte for byte.

#include <QString>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

static_assert(std::endian::native == std::endian::little, "records are little-endian in memory");

// The command codes.
enum CDTCode : int32_t {
    CDTAppExit = 0,
    CDTAddFocusWebpage = 1,
    CDTNewGetWebpage = 2,
    CDTLogin = 3,
    CDTChangeVerifyCode = 4,
    CDTReply = 5,
    CDTRefresh = 6,
    CDTUserSet = 7,
    CDTTianyaFocus = 8,
    CDTNoWebpage = 9,
    CDTFindSvr = 10,
    CDTWriteLog = 11,
    CDTReadNeedNext = 12,
    CDTReadNeedLast = 13,
    CDTGetAllNewestWebpage = 14,
    CDTSvrRun = 15,
    CDTGetImg = 16,
    CDTReadWebpage = 17,
    CDTReadPageNoRang = 18,
    CDTSoftVerUpdate = 19,
    CDTHotRecommend = 20,
    CDTLoginCancel = 21,
};

// The log name of a code: "NoDefine" for 4 and for everything outside 0..19.
QString CommandName(int code);

#pragma pack(push, 1)

// A 32-bit little-endian integer stored at any byte offset.
struct Int32Field {
    unsigned char bytes[4];
    int32_t Get() const {
        int32_t v;
        std::memcpy(&v, bytes, 4);
        return v;
    }
    void Set(int32_t v) { std::memcpy(bytes, &v, 4); }
};
static_assert(sizeof(Int32Field) == 4 && alignof(Int32Field) == 1);

// A NUL-terminated UTF-16 text in a fixed array of N code units (the terminator included).
// Reading never goes past the array: a text without its NUL ends at the array's end.
// Writing cuts the text to N - 1 units and zero-fills the rest.
template <int N> struct TextField {
    unsigned char bytes[2 * N];

    QString Get() const {
        char16_t units[N];
        std::memcpy(units, bytes, sizeof units);
        int length = 0;
        while (length < N && units[length] != 0)
            ++length;
        return QString(reinterpret_cast<const QChar*>(units), length);
    }
    void Set(const QString& text) {
        std::memset(bytes, 0, sizeof bytes);
        const int length = std::min<int>(static_cast<int>(text.size()), N - 1);
        std::memcpy(bytes, text.utf16(), static_cast<size_t>(length) * 2);
    }
    static constexpr int Capacity = N - 1; // characters that fit
};

struct SmallMessage {
    int32_t code;
    int32_t a;
    int32_t b;
    int32_t c;
    int32_t d;
};

inline constexpr int kSmallMessageSize = 20;
inline constexpr int kLargeMessageSize = 99208;

// The large record as raw bytes; its layout follows from the code.
struct LargeMessage {
    unsigned char bytes[kLargeMessageSize];
    int32_t Code() const {
        int32_t v;
        std::memcpy(&v, bytes, 4);
        return v;
    }
};

// CDTAddFocusWebpage, reader to server.
struct AddFocusRequest {
    Int32Field code;
    unsigned char unused4[8];
    TextField<1025> address;
    TextField<1025> label;
    unsigned char rest[kLargeMessageSize - 4112];
};

// CDTAddFocusWebpage, server to reader.
struct AddFocusAnswer {
    Int32Field code;
    Int32Field result;
    Int32Field focusPageNo;
    unsigned char unused12[2050];
    TextField<1025> message; // the request's label followed by the result text
    unsigned char rest[kLargeMessageSize - 4112];
};

// CDTLogin, reader to server.
struct LoginRequest {
    Int32Field code;
    TextField<33> userName;
    TextField<33> password;
    TextField<9> verifyCode;
    unsigned char verifySlotRest[48]; // the rest of the 33-unit slot, zero
    unsigned char rest[kLargeMessageSize - 202];
};

inline constexpr int kMaxVerifyPictureBytes = 50000;

// CDTLogin, server to reader.
struct LoginAnswer {
    Int32Field code;
    unsigned char unused4[152];
    Int32Field result;
    TextField<33> message;
    unsigned char unused226[2];
    Int32Field pictureWidth;
    Int32Field pictureHeight;
    Int32Field pictureBytes;
    unsigned char picture[kMaxVerifyPictureBytes]; // 32-bit pixels, width x height
    unsigned char rest[kLargeMessageSize - 240 - kMaxVerifyPictureBytes];
};

// CDTReply, reader to server.
struct ReplyRequest {
    Int32Field code;
    Int32Field focusPageNo;
    TextField<5001> text;
    unsigned char rest[kLargeMessageSize - 10010];
};

// CDTReply, server to reader.
struct ReplyAnswer {
    Int32Field code;
    Int32Field focusPageNo;
    TextField<5001> message;
    unsigned char unused10010[2];
    Int32Field result;
    unsigned char rest[kLargeMessageSize - 10016];
};

// One post that shows a picture, in a CDTGetImg record.
struct PicturePostEntry {
    Int32Field pageNo;
    TextField<32> author;
    TextField<32> time;
};
static_assert(sizeof(PicturePostEntry) == 132);

inline constexpr int kMaxPicturePostEntries = (kLargeMessageSize - 2060) / 132;

// CDTGetImg, server to reader.
struct GetImgMessage {
    Int32Field code;
    Int32Field focusPageNo;
    Int32Field entryCount;
    TextField<1024> pictureAddress;
    PicturePostEntry entries[kMaxPicturePostEntries];
    unsigned char rest[kLargeMessageSize - 2060 - 132 * kMaxPicturePostEntries];
};

// CDTSoftVerUpdate, server to reader: fields 3 to 8 of the matching version row.
struct SoftVerUpdateMessage {
    Int32Field code;
    TextField<10> updateKind; // "必须" marks a mandatory update
    TextField<10> field4;
    TextField<100> message;
    TextField<1024> field6;
    TextField<1024> field7;
    TextField<1024> field8;
    unsigned char rest[kLargeMessageSize - 6388];
};

// One discount recommendation in a CDTHotRecommend record.
struct HotRecommendEntry {
    TextField<1500> html;
    TextField<480> text;
    Int32Field first;
    Int32Field second;
};
static_assert(sizeof(HotRecommendEntry) == 3968);

inline constexpr int kHotRecommendPerRecord = 25;

// CDTHotRecommend, server to reader.
struct HotRecommendMessage {
    Int32Field code;
    HotRecommendEntry entries[kHotRecommendPerRecord];
    Int32Field count;
};

#pragma pack(pop)

static_assert(sizeof(SmallMessage) == kSmallMessageSize);
static_assert(offsetof(SmallMessage, code) == 0 && offsetof(SmallMessage, a) == 4 &&
              offsetof(SmallMessage, b) == 8 && offsetof(SmallMessage, c) == 12 &&
              offsetof(SmallMessage, d) == 16);
static_assert(sizeof(LargeMessage) == kLargeMessageSize);

static_assert(sizeof(AddFocusRequest) == kLargeMessageSize);
static_assert(offsetof(AddFocusRequest, address) == 12 && offsetof(AddFocusRequest, label) == 2062);
static_assert(sizeof(AddFocusAnswer) == kLargeMessageSize);
static_assert(offsetof(AddFocusAnswer, result) == 4 && offsetof(AddFocusAnswer, focusPageNo) == 8 &&
              offsetof(AddFocusAnswer, message) == 2062);

static_assert(sizeof(LoginRequest) == kLargeMessageSize);
static_assert(offsetof(LoginRequest, userName) == 4 && offsetof(LoginRequest, password) == 70 &&
              offsetof(LoginRequest, verifyCode) == 136 && offsetof(LoginRequest, rest) == 202);
static_assert(sizeof(LoginAnswer) == kLargeMessageSize);
static_assert(offsetof(LoginAnswer, result) == 156 && offsetof(LoginAnswer, message) == 160 &&
              offsetof(LoginAnswer, pictureWidth) == 228 &&
              offsetof(LoginAnswer, pictureHeight) == 232 &&
              offsetof(LoginAnswer, pictureBytes) == 236 && offsetof(LoginAnswer, picture) == 240);

static_assert(sizeof(ReplyRequest) == kLargeMessageSize);
static_assert(offsetof(ReplyRequest, focusPageNo) == 4 && offsetof(ReplyRequest, text) == 8);
static_assert(sizeof(ReplyAnswer) == kLargeMessageSize);
static_assert(offsetof(ReplyAnswer, focusPageNo) == 4 && offsetof(ReplyAnswer, message) == 8 &&
              offsetof(ReplyAnswer, result) == 10012);

static_assert(sizeof(GetImgMessage) == kLargeMessageSize);
static_assert(offsetof(GetImgMessage, focusPageNo) == 4 &&
              offsetof(GetImgMessage, entryCount) == 8 &&
              offsetof(GetImgMessage, pictureAddress) == 12 &&
              offsetof(GetImgMessage, entries) == 2060);
static_assert(offsetof(PicturePostEntry, pageNo) == 0 && offsetof(PicturePostEntry, author) == 4 &&
              offsetof(PicturePostEntry, time) == 68);

static_assert(sizeof(SoftVerUpdateMessage) == kLargeMessageSize);
static_assert(offsetof(SoftVerUpdateMessage, updateKind) == 4 &&
              offsetof(SoftVerUpdateMessage, field4) == 24 &&
              offsetof(SoftVerUpdateMessage, message) == 44 &&
              offsetof(SoftVerUpdateMessage, field6) == 244 &&
              offsetof(SoftVerUpdateMessage, field7) == 2292 &&
              offsetof(SoftVerUpdateMessage, field8) == 4340);

static_assert(sizeof(HotRecommendMessage) == kLargeMessageSize);
static_assert(offsetof(HotRecommendMessage, entries) == 4 &&
              offsetof(HotRecommendMessage, count) == 99204);
static_assert(offsetof(HotRecommendEntry, html) == 0 && offsetof(HotRecommendEntry, text) == 3000 &&
              offsetof(HotRecommendEntry, first) == 3960 &&
              offsetof(HotRecommendEntry, second) == 3964);

// A zero-filled layout with its code set.
template <typename Layout> Layout MakeRecord(int32_t code) {
    static_assert(sizeof(Layout) == kLargeMessageSize);
    Layout record;
    std::memset(&record, 0, sizeof record);
    record.code.Set(code);
    return record;
}

// A layout as the raw record the channel carries, and back.
template <typename Layout> LargeMessage ToLarge(const Layout& layout) {
    static_assert(sizeof(Layout) == kLargeMessageSize);
    LargeMessage message;
    std::memcpy(message.bytes, &layout, kLargeMessageSize);
    return message;
}

template <typename Layout> Layout FromLarge(const LargeMessage& message) {
    static_assert(sizeof(Layout) == kLargeMessageSize);
    Layout layout;
    std::memcpy(&layout, message.bytes, kLargeMessageSize);
    return layout;
}

inline SmallMessage MakeSmall(int32_t code, int32_t a = 0, int32_t b = 0, int32_t c = 0,
                              int32_t d = 0) {
    return SmallMessage{code, a, b, c, d};
}

// A discount recommendation as the server holds it.
struct HotRecommendItem {
    QString html;
    QString text;
    int first = 0;
    int second = 0;
};

// A list of recommendations as CDTHotRecommend records in order, each full but the last.
// An empty list gives no record.
std::vector<LargeMessage> SplitHotRecommend(const std::vector<HotRecommendItem>& items);
// The recommendations one record carries (its count, bounded by 25).
std::vector<HotRecommendItem> HotRecommendItemsOf(const LargeMessage& message);

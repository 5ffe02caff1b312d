#include "common/Records.h"

#include <gtest/gtest.h>

namespace {

int32_t intAt(const LargeMessage& m, size_t offset) {
    int32_t v;
    std::memcpy(&v, m.bytes + offset, 4);
    return v;
}

// The NUL-terminated UTF-16 text at a raw offset, bounded by the field's units.
QString textAt(const LargeMessage& m, size_t offset, int units) {
    QString text;
    for (int i = 0; i < units; ++i) {
        char16_t c;
        std::memcpy(&c, m.bytes + offset + 2 * i, 2);
        if (c == 0)
            break;
        text += QChar(c);
    }
    return text;
}

TEST(Records, CommandNames) {
    const struct {
        int code;
        const char* name;
    } cases[] = {{0, "CDTAppExit"},        {1, "CDTAddFocusWebpage"}, {3, "CDTLogin"},
                 {4, "NoDefine"},          {5, "CDTReply"},           {15, "CDTSvrRun"},
                 {19, "CDTSoftVerUpdate"}, {20, "NoDefine"},          {21, "NoDefine"},
                 {-1, "NoDefine"},         {1000, "NoDefine"}};
    for (const auto& c : cases)
        EXPECT_EQ(CommandName(c.code), QString::fromLatin1(c.name)) << c.code;
}

// Every field written through its layout lands at the offset the peers read it from.
TEST(Records, FieldsLandAtTheirOffsets) {
    auto add = MakeRecord<AddFocusRequest>(CDTAddFocusWebpage);
    add.address.Set(QStringLiteral("http://bbs.tianya.cn/post-free-1-1.shtml"));
    add.label.Set(QStringLiteral("\"标题\""));
    LargeMessage m = ToLarge(add);
    EXPECT_EQ(intAt(m, 0), 1);
    EXPECT_EQ(textAt(m, 12, 1025), QStringLiteral("http://bbs.tianya.cn/post-free-1-1.shtml"));
    EXPECT_EQ(textAt(m, 2062, 1025), QStringLiteral("\"标题\""));

    auto answer = MakeRecord<AddFocusAnswer>(CDTAddFocusWebpage);
    answer.result.Set(1);
    answer.focusPageNo.Set(42);
    answer.message.Set(QStringLiteral("添加关注成功!"));
    m = ToLarge(answer);
    EXPECT_EQ(intAt(m, 4), 1);
    EXPECT_EQ(intAt(m, 8), 42);
    EXPECT_EQ(textAt(m, 2062, 1025), QStringLiteral("添加关注成功!"));

    auto login = MakeRecord<LoginRequest>(CDTLogin);
    login.userName.Set(QStringLiteral("user"));
    login.password.Set(QStringLiteral("pw"));
    login.verifyCode.Set(QStringLiteral("123456789")); // at most 8 characters fit
    m = ToLarge(login);
    EXPECT_EQ(textAt(m, 4, 33), QStringLiteral("user"));
    EXPECT_EQ(textAt(m, 70, 33), QStringLiteral("pw"));
    EXPECT_EQ(textAt(m, 136, 9), QStringLiteral("12345678"));
    for (size_t i = 154; i < 202; ++i)
        ASSERT_EQ(m.bytes[i], 0) << i;

    auto loginAnswer = MakeRecord<LoginAnswer>(CDTLogin);
    loginAnswer.result.Set(1);
    loginAnswer.message.Set(QStringLiteral("登录成功！"));
    loginAnswer.pictureWidth.Set(60);
    loginAnswer.pictureHeight.Set(20);
    loginAnswer.pictureBytes.Set(4800);
    loginAnswer.picture[0] = 0xAB;
    m = ToLarge(loginAnswer);
    EXPECT_EQ(intAt(m, 156), 1);
    EXPECT_EQ(textAt(m, 160, 33), QStringLiteral("登录成功！"));
    EXPECT_EQ(intAt(m, 228), 60);
    EXPECT_EQ(intAt(m, 232), 20);
    EXPECT_EQ(intAt(m, 236), 4800);
    EXPECT_EQ(m.bytes[240], 0xAB);
    // Without a picture the count is 0.
    EXPECT_EQ(intAt(ToLarge(MakeRecord<LoginAnswer>(CDTLogin)), 236), 0);

    auto reply = MakeRecord<ReplyRequest>(CDTReply);
    reply.focusPageNo.Set(7);
    reply.text.Set(QString(6000, QLatin1Char('x')));
    m = ToLarge(reply);
    EXPECT_EQ(intAt(m, 4), 7);
    EXPECT_EQ(textAt(m, 8, 5001).size(), 5000);
    EXPECT_EQ(m.bytes[8 + 2 * 5000], 0);

    auto replyAnswer = MakeRecord<ReplyAnswer>(CDTReply);
    replyAnswer.focusPageNo.Set(7);
    replyAnswer.message.Set(QStringLiteral("回复成功！"));
    replyAnswer.result.Set(1);
    m = ToLarge(replyAnswer);
    EXPECT_EQ(textAt(m, 8, 5001), QStringLiteral("回复成功！"));
    EXPECT_EQ(intAt(m, 10012), 1);

    auto img = MakeRecord<GetImgMessage>(CDTGetImg);
    img.focusPageNo.Set(3);
    img.entryCount.Set(2);
    img.pictureAddress.Set(QStringLiteral("http://img.example/p.jpg"));
    img.entries[1].pageNo.Set(9);
    img.entries[1].author.Set(QStringLiteral("作者"));
    img.entries[1].time.Set(QStringLiteral("2012-01-05 08:03:07"));
    m = ToLarge(img);
    EXPECT_EQ(intAt(m, 4), 3);
    EXPECT_EQ(intAt(m, 8), 2);
    EXPECT_EQ(textAt(m, 12, 1024), QStringLiteral("http://img.example/p.jpg"));
    EXPECT_EQ(intAt(m, 2060 + 132), 9);
    EXPECT_EQ(textAt(m, 2060 + 132 + 4, 32), QStringLiteral("作者"));
    EXPECT_EQ(textAt(m, 2060 + 132 + 68, 32), QStringLiteral("2012-01-05 08:03:07"));

    auto version = MakeRecord<SoftVerUpdateMessage>(CDTSoftVerUpdate);
    version.updateKind.Set(QStringLiteral("必须"));
    version.field4.Set(QStringLiteral("f4"));
    version.message.Set(QStringLiteral("有新版本"));
    version.field6.Set(QStringLiteral("f6"));
    version.field7.Set(QStringLiteral("f7"));
    version.field8.Set(QStringLiteral("f8"));
    m = ToLarge(version);
    EXPECT_EQ(textAt(m, 4, 10), QStringLiteral("必须"));
    EXPECT_EQ(textAt(m, 24, 10), QStringLiteral("f4"));
    EXPECT_EQ(textAt(m, 44, 100), QStringLiteral("有新版本"));
    EXPECT_EQ(textAt(m, 244, 1024), QStringLiteral("f6"));
    EXPECT_EQ(textAt(m, 2292, 1024), QStringLiteral("f7"));
    EXPECT_EQ(textAt(m, 4340, 1024), QStringLiteral("f8"));
}

TEST(Records, TextWithoutTerminatorEndsAtTheArray) {
    LargeMessage m;
    std::memset(m.bytes, 0, sizeof m.bytes);
    for (int i = 0; i < 1025; ++i) {
        const char16_t c = u'A';
        std::memcpy(m.bytes + 12 + 2 * i, &c, 2);
    }
    const char16_t next = u'B'; // the label's first unit follows directly
    std::memcpy(m.bytes + 2062, &next, 2);
    const auto add = FromLarge<AddFocusRequest>(m);
    EXPECT_EQ(add.address.Get(), QString(1025, QLatin1Char('A')));
    EXPECT_EQ(add.label.Get(), QStringLiteral("B"));
}

TEST(Records, HotRecommendListsSplitIntoFullRecordsAndARest) {
    const struct {
        int items;
        std::vector<int> counts;
    } cases[] = {{0, {}}, {1, {1}}, {25, {25}}, {26, {25, 1}}, {51, {25, 25, 1}}};
    for (const auto& c : cases) {
        std::vector<HotRecommendItem> items;
        for (int i = 0; i < c.items; ++i)
            items.push_back({QStringLiteral("<a href=\"x%1\">优惠</a>").arg(i),
                             QStringLiteral("http://d/%1").arg(i), i, 2 * i});
        const auto records = SplitHotRecommend(items);
        ASSERT_EQ(records.size(), c.counts.size()) << c.items;
        int next = 0;
        for (size_t r = 0; r < records.size(); ++r) {
            EXPECT_EQ(records[r].Code(), CDTHotRecommend);
            EXPECT_EQ(intAt(records[r], 99204), c.counts[r]);
            const auto back = HotRecommendItemsOf(records[r]);
            ASSERT_EQ(static_cast<int>(back.size()), c.counts[r]);
            for (const auto& item : back) {
                EXPECT_EQ(item.html, items[next].html);
                EXPECT_EQ(item.text, items[next].text);
                EXPECT_EQ(item.first, items[next].first);
                EXPECT_EQ(item.second, items[next].second);
                ++next;
            }
        }
        EXPECT_EQ(next, c.items);
    }
    // A count beyond the array is never trusted.
    auto bogus = MakeRecord<HotRecommendMessage>(CDTHotRecommend);
    bogus.count.Set(1000);
    EXPECT_EQ(HotRecommendItemsOf(ToLarge(bogus)).size(), 25u);
}

} // namespace

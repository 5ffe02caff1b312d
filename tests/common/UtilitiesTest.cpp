#include "common/Utilities.h"
#include "common/IniFile.h"
#include "common/Settings.h"
#include "tests/support/TempHome.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* input;
    const char* expected;
};

QString u(const char* text) {
    return QString::fromUtf8(text);
}

TEST(Utilities, JoinPath) {
    EXPECT_EQ(JoinPath(u("/home/a"), u("x.db")), u("/home/a/x.db"));
    EXPECT_EQ(JoinPath(u("/home/a/"), u("x.db")), u("/home/a/x.db"));
}

TEST(Utilities, FileNameOfPath) {
    const TextCase cases[] = {
        {"/home/a/ForumData.db", "ForumData.db"},
        {"ForumData.db", "ForumData.db"},
        {"/ForumData.db", "/ForumData.db"}, // the only slash is the first character
        {"a/b/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileNameOfPath(u(c.input)), u(c.expected)) << c.input;
}

TEST(Utilities, PictureExtension) {
    const TextCase cases[] = {
        {"http://img.example/a/b/photo.png", "png"},
        {"photo.jpeg", "jpeg"},
        {"noextension", "jpg"},
        {".hidden", "jpg"},
        {"archive.tar.gz", "gz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureExtension(u(c.input)), u(c.expected)) << c.input;
}

TEST(Utilities, IsAllDigits) {
    const struct {
        const char* text;
        bool digits;
    } cases[] = {{"", false},    {"0123", true}, {"42", true},
                 {"12a", false}, {" 12", false}, {"１２", false}};
    for (const auto& c : cases)
        EXPECT_EQ(IsAllDigits(u(c.text)), c.digits) << c.text;
}

TEST(Utilities, ReplaceAllNeverSearchesAReplacementAgain) {
    const struct {
        const char* text;
        const char* search;
        const char* replacement;
        const char* expected;
    } cases[] = {
        {"a'b'c", "'", "''", "a''b''c"}, {"aaa", "a", "aa", "aaaaaa"}, {"abcabc", "abc", "", ""},
        {"xyz", "q", "r", "xyz"},        {"aaaa", "aa", "a", "aa"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(u(c.text), u(c.search), u(c.replacement)), u(c.expected)) << c.text;
}

TEST(Utilities, TimeTextRoundTrip) {
    const QString texts[] = {u("2012-06-30 08:05:09"), u("2000-01-01 00:00:00"),
                             u("2026-12-31 23:59:59")};
    for (const QString& text : texts) {
        const int64_t value = ParseTimeText(text);
        ASSERT_GT(value, 0) << text.toStdString();
        EXPECT_EQ(TimeText(value), text);
    }
    EXPECT_EQ(ParseTimeText(u("not a time")), -1);
}

TEST(Utilities, TrimBlanksAndForbiddenFileChars) {
    EXPECT_EQ(TrimBlanks(u(" \t 标题 a \t")), u("标题 a"));
    EXPECT_EQ(TrimBlanks(u("\n x \n")), u("\n x \n")); // only spaces and tabs
    EXPECT_EQ(RemoveForbiddenFileChars(u("问答: a/b? 好")), u("问答 ab 好"));
    EXPECT_EQ(RemoveForbiddenFileChars(u("\\/:*?\"<>|")), QString());
}

TEST(Utilities, ClassifyForumAddressWithDefaultHosts) {
    TempHome home;
    const struct {
        const char* address;
        int forumClass;
    } cases[] = {
        {"http://www.tianya.cn/publicforum/content/free/1/2.shtml", 1},
        {"HTTP://WWW.TIANYA.CN/PublicForum/x.shtml", 1},
        {"http://www.tianya.cn/new/publicforum/x", 1},
        {"http://tianya.cn/bbs/art.jsp?item=a", 2},
        {"http://www.tianya.cn/techforum/content/1.shtml", 3},
        {"http://city.tianya.cn/forum/1", 3},
        {"http://bbs.tianya.cn/post-free-1-1.shtml", 4},
        {"see http://bbs.tianya.cn/post-free-1-1.shtml", 0},
        {"https://bbs.tianya.cn/post-free-1-1.shtml", 0},
        {"http://example.com/", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyForumAddress(u(c.address)), c.forumClass) << c.address;
}

TEST(Utilities, ClassifyForumAddressWithHostsFromTheSettings) {
    TempHome home;
    home.WriteFile(u("Quillmere.ini"), "[Hosts]\nForumBbsHost=bbs.forum.localhost:18080\n");
    ReloadHosts();
    EXPECT_EQ(ClassifyForumAddress(u("http://bbs.forum.localhost:18080/post-a-1-1.shtml")), 4);
    EXPECT_EQ(ClassifyForumAddress(u("http://bbs.tianya.cn/post-a-1-1.shtml")), 0);
    EXPECT_EQ(Hosts().forumWww, u("www.tianya.cn"));
}

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return home.File(u("t.ini")); }
    QByteArray contents() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    TempHome home;
};

TEST_F(IniFileTest, ReadsLikePrivateProfiles) {
    home.WriteFile(
        u("t.ini"),
        "; comment\n[ModuleValid]\nGetImg=0\nReply = 12abc\nWord=x\n[Base]\nUserName= 某人 \n"
        "Quoted=\"a b\"\n");
    const IniFile ini(path());
    const struct {
        const char* section;
        const char* key;
        int fallback;
        int expected;
    } ints[] = {
        {"ModuleValid", "GetImg", 1, 0},  {"MODULEVALID", "getimg", 1, 0},
        {"ModuleValid", "Reply", 1, 12},  {"ModuleValid", "Word", 5, 0},
        {"ModuleValid", "Missing", 7, 7}, {"Nowhere", "GetImg", 3, 3},
    };
    for (const auto& c : ints)
        EXPECT_EQ(ini.ReadInt(u(c.section), u(c.key), c.fallback), c.expected)
            << c.section << "/" << c.key;
    EXPECT_EQ(ini.ReadText(u("base"), u("username")), u("某人"));
    EXPECT_EQ(ini.ReadText(u("Base"), u("Quoted")), u("a b"));
    EXPECT_EQ(ini.ReadText(u("Base"), u("None"), u("default")), u("default"));
    EXPECT_EQ(IniFile(home.File(u("missing.ini"))).ReadInt(u("ModuleValid"), u("GetImg"), 1), 1);
}

TEST_F(IniFileTest, WriteReplacesOneKeyAndKeepsEveryOtherLine) {
    home.WriteFile(u("t.ini"),
                   "; keep me\n[Base]\nUserName=old\nUpdateAll=1\n\n[HelpTip]\nClickToDown=1\n");
    const IniFile ini(path());
    ASSERT_TRUE(ini.WriteText(u("base"), u("USERNAME"), u("新名字")));
    ASSERT_TRUE(ini.WriteText(u("Base"), u("Added"), u("2")));
    ASSERT_TRUE(ini.WriteText(u("New"), u("Key"), u("v")));
    EXPECT_EQ(QString::fromUtf8(contents()), u("; keep "
                                               "me\n[Base]\nUSERNAME=新名字\nUpdateAll=1\nAdded="
                                               "2\n\n[HelpTip]\nClickToDown=1\n[New]\nKey=v\n"));
    EXPECT_EQ(ini.ReadText(u("Base"), u("UserName")), u("新名字"));
    ASSERT_TRUE(IniFile(home.File(u("fresh.ini"))).WriteText(u("A"), u("b"), u("c")));
    EXPECT_EQ(IniFile(home.File(u("fresh.ini"))).ReadText(u("a"), u("B")), u("c"));
}

TEST(Settings, PictureSwitchOffWhenGetImgIsZeroAndOnWithoutAFile) {
    TempHome home;
    EXPECT_EQ(ReadSettingInt(u("ModuleValid"), u("GetImg"), 1), 1);
    home.WriteFile(u("Quillmere.ini"), "[ModuleValid]\nGetImg=0\n");
    EXPECT_EQ(ReadSettingInt(u("ModuleValid"), u("GetImg"), 1), 0);
    ASSERT_TRUE(WriteSettingText(u("Base"), u("UserName"), u("reader")));
    EXPECT_EQ(ReadSettingText(u("Base"), u("UserName")), u("reader"));
    EXPECT_EQ(ReadSettingInt(u("ModuleValid"), u("GetImg"), 1), 0);
    EXPECT_EQ(SettingsFilePath(u("/abs/other.ini")), u("/abs/other.ini"));
}

} // namespace

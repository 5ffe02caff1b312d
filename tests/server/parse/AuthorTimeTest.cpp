#include "server/parse/AuthorTime.h"

#include <gtest/gtest.h>

namespace {

struct HeaderCase {
    const char* header;
    bool ok;
    const char* author;
    const char* time;
};

TEST(ParseAuthorTime, Table) {
    const HeaderCase cases[] = {
        {"作者：somebody 日期：2012-1-5 8:03:07", true, "somebody", "2012-01-05 08:03:07"},
        {"作者：张三　提交日期：2012-11-26 14:39:23", true, "张三", "2012-11-26 14:39:23"},
        {"作者：张三 日期：2012-1-5", true, "张三", "2012-01-05 00:00:00"},
        {"作者：张三 日期：未知", false, "张三", ""},
        {"作者：张三 2012-1-5 8:03:07 楼 5", false, "张三", "2012-01-05 08:03:07 05"},
        {"作者：张三 2012-1-5 8:03:07 回复", true, "张三", "2012-01-05 08:03:07"},
        {"  someone 2012-01-05 08:03:07", true, "",
         "2012-01-05 08:03:07"}, // space before the author's start
        {"ab张三 2013/2/3 4:05:06", true, "张三",
         "2013 02 03 04:05:06"}, // no marker: from the third character
        {"作者：2号选手 2012-1-5 8:03:07", true, "2号选手",
         "2012-01-05 08:03:07"}, // the "2" is looked for after the author
        {"", false, "", ""},
    };
    for (const HeaderCase& c : cases) {
        QString author = "old";
        QString time = "old";
        EXPECT_EQ(ParseAuthorTime(QString::fromUtf8(c.header), &author, &time), c.ok) << c.header;
        EXPECT_EQ(author.toStdString(), c.author) << c.header;
        EXPECT_EQ(time.toStdString(), c.time) << c.header;
    }
}

TEST(ParseAuthorTimeLayout4, Table) {
    const HeaderCase cases[] = {
        {"作者：x 2012-11-26 04:39:23 回复", true, "x", "2012-11-26 04:39:23"},
        {"楼主：天涯客 时间：2012-11-26 04:39:23", true, "天涯客", "2012-11-26 04:39:23"},
        {"作者：x 楼主：y 2012-1-5 8:03:07", true, "x", "2012-01-05 08:03:07"},
        {"作者：x 2012-1-5 8:03:07 12楼", true, "x",
         "2012-01-05 08:03:07"}, // trailing digits dropped with the word
        {"作者：x 2012-1-5", true, "x", "2012-01-05 00:00:00"},
        {"作者：x 时间未知", false, "x", ""},
        {"作者：x 2012-1-5 8:03", false, "x", "2012-01-05 08:03"},
        {"无名氏 2012-1-5 8:03:07", false, "old", "old"}, // no marker: outputs untouched
    };
    for (const HeaderCase& c : cases) {
        QString author = "old";
        QString time = "old";
        EXPECT_EQ(ParseAuthorTimeLayout4(QString::fromUtf8(c.header), &author, &time), c.ok)
            << c.header;
        EXPECT_EQ(author.toStdString(), c.author) << c.header;
        EXPECT_EQ(time.toStdString(), c.time) << c.header;
    }
}

} // namespace

#include "reader/reading/SomeBodyRules.h"
#include "store/ThreadDatabase.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class RecordingReloader : public FilterListReloader {
public:
    void ReloadList(int focusPageNo, int listNo) override {
        reloads.push_back({focusPageNo, listNo});
    }
    std::vector<std::pair<int, int>> reloads;
};

class SomeBodyRulesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateThreadDatabase(db)); }

    QStringList List(int listNo) {
        QStringList entries;
        EXPECT_TRUE(ReadSomeBodyList(db, listNo, entries));
        return entries;
    }

    TempHome home;
    QString db;
    RecordingReloader reloader;
    const QString starter = QStringLiteral("楼主甲");
};

TEST(SomeBodyTextTest, TrimmingAndCutting) {
    EXPECT_EQ(TrimSelection(QStringLiteral(" 张三\t")), QStringLiteral("张三"));
    EXPECT_EQ(TrimSelection(QStringLiteral("\n\u00A0张 三\u3000\r\n")), QStringLiteral("张 三"));
    EXPECT_EQ(TrimSelection(QStringLiteral(" \t  ")), QString());
    const QString hundred = QString(100, QChar(u'字'));
    EXPECT_EQ(CutText(hundred, 64), QString(64, QChar(u'字')));
    // A character outside the basic plane is never cut in half.
    const QString wide = QString(63, QChar(u'a')) + QString::fromUcs4(U"\U0001F600");
    EXPECT_EQ(CutText(wide, 64), QString(63, QChar(u'a')));
}

TEST_F(SomeBodyRulesTest, OpeningOffersTheStarterExceptForBlockedPeople) {
    for (int mode : {2, 3, 5}) {
        SomeBodyEditor editor(mode, db, starter, 9);
        editor.Load();
        EXPECT_EQ(editor.Entries(), QStringList{starter}) << mode;
        EXPECT_TRUE(editor.Changed());
    }
    SomeBodyEditor blocked(4, db, starter, 9);
    blocked.Load();
    EXPECT_TRUE(blocked.Entries().isEmpty());
    EXPECT_EQ(blocked.Accept(&reloader), SomeBodyEditor::AcceptResult::Unchanged);
    EXPECT_TRUE(List(4).isEmpty());
    EXPECT_TRUE(reloader.reloads.empty());
}

TEST_F(SomeBodyRulesTest, OkStoresTheOfferedStarterEvenAsAWord) {
    SomeBodyEditor words(5, db, starter, 9);
    words.Load();
    EXPECT_EQ(words.Accept(&reloader), SomeBodyEditor::AcceptResult::Stored);
    EXPECT_EQ(List(5), QStringList{starter});
    ASSERT_EQ(reloader.reloads.size(), 1u);
    EXPECT_EQ(reloader.reloads[0], std::make_pair(9, 5));
}

TEST_F(SomeBodyRulesTest, AddDeleteAndTheNeedForOneEntry) {
    ASSERT_TRUE(SaveSomeBodyList(db, {QStringLiteral("a"), QStringLiteral("b")}, 2));
    SomeBodyEditor editor(2, db, starter, 9);
    editor.Load();
    EXPECT_FALSE(editor.Changed());
    EXPECT_EQ(editor.Add(QString()), SomeBodyEditor::AddResult::Empty);
    EXPECT_EQ(editor.Add(QStringLiteral("a")), SomeBodyEditor::AddResult::AlreadyListed);
    EXPECT_FALSE(editor.Changed());
    EXPECT_EQ(editor.Add(QStringLiteral("A")), SomeBodyEditor::AddResult::Added); // exact compare
    EXPECT_EQ(editor.Entries(), (QStringList{"a", "b", "A"}));
    editor.Delete({2, 0, 2});
    EXPECT_EQ(editor.Entries(), QStringList{"b"});
    editor.Delete({0});
    EXPECT_EQ(editor.Accept(&reloader), SomeBodyEditor::AcceptResult::NeedOneEntry);
    EXPECT_EQ(List(2), (QStringList{"a", "b"})); // nothing stored
    EXPECT_TRUE(reloader.reloads.empty());
}

TEST_F(SomeBodyRulesTest, ModesTwoAndThreeShareTheChosenPeople) {
    SomeBodyEditor highlight(3, db, starter, 9);
    highlight.Load();
    highlight.Add(QStringLiteral("乙"));
    ASSERT_EQ(highlight.Accept(&reloader), SomeBodyEditor::AcceptResult::Stored);
    ASSERT_EQ(reloader.reloads.size(), 1u);
    EXPECT_EQ(reloader.reloads[0], std::make_pair(9, 2)); // the chosen people reload

    SomeBodyEditor only(2, db, starter, 9);
    only.Load();
    EXPECT_EQ(only.Entries(), (QStringList{starter, QStringLiteral("乙")}));
    EXPECT_FALSE(only.Changed());
    only.Add(QStringLiteral("丙"));
    only.Accept(&reloader);
    SomeBodyEditor again(3, db, starter, 9);
    again.Load();
    EXPECT_EQ(again.Entries().last(), QStringLiteral("丙"));
}

TEST_F(SomeBodyRulesTest, AddToListItems) {
    struct Case {
        QString selected;
        int listNo;
        QString notice;
        QStringList stored;
    };
    const QString name32 = QString(32, QChar(u'n'));
    const std::vector<Case> cases = {
        {QStringLiteral(" 张三\t"), 2, QStringLiteral("添加成功!"), {QStringLiteral("张三")}},
        {QStringLiteral("张三"), 2, QStringLiteral("添加成功!"), {QStringLiteral("张三")}},
        {QStringLiteral("   "), 2, QStringLiteral("请选择用户名！"), {QStringLiteral("张三")}},
        {name32 + "x", 2, QStringLiteral("请选择用户名！"), {QStringLiteral("张三")}},
        {name32, 2, QStringLiteral("添加成功!"), {QStringLiteral("张三"), name32}},
        {QStringLiteral("李四"), 4, QStringLiteral("添加成功!"), {QStringLiteral("李四")}},
    };
    for (const Case& test : cases) {
        const MenuItemOutcome outcome =
            AddSelectionToList(db, 9, test.selected, test.listNo, &reloader);
        EXPECT_EQ(outcome.notice, test.notice) << test.selected.toStdString();
        EXPECT_EQ(outcome.switchToMode, -1);
        EXPECT_EQ(List(test.listNo), test.stored) << test.selected.toStdString();
    }
    // Reloads only for the two new entries of list 2 and the one of list 4.
    EXPECT_EQ(reloader.reloads, (std::vector<std::pair<int, int>>{{9, 2}, {9, 2}, {9, 4}}));
}

TEST_F(SomeBodyRulesTest, AddToListReportsStoreFailures) {
    const QString missing = QStringLiteral("no-such-thread.db");
    EXPECT_EQ(AddSelectionToList(missing, 9, QStringLiteral("甲"), 2, &reloader).notice,
              QStringLiteral("读设置失败!"));
    EXPECT_TRUE(reloader.reloads.empty());
}

TEST_F(SomeBodyRulesTest, OnlyThisPersonReplacesTheChosenPeople) {
    ASSERT_TRUE(SaveSomeBodyList(db, {"a", "b", "c", "d", "e"}, 2));
    const MenuItemOutcome outcome = OnlyThisPerson(db, 9, QStringLiteral("\t乙 "), &reloader);
    EXPECT_TRUE(outcome.notice.isEmpty());
    EXPECT_EQ(outcome.switchToMode, 2);
    EXPECT_EQ(List(2), QStringList{QStringLiteral("乙")});
    EXPECT_EQ(OnlyThisPerson(db, 9, QStringLiteral(" "), &reloader).notice,
              QStringLiteral("请选择用户名！"));
    EXPECT_EQ(reloader.reloads.size(), 1u);
}

TEST_F(SomeBodyRulesTest, OnlySelectedContentStoresAtMost64Characters) {
    const QString hundred = QString(100, QChar(u'文'));
    const MenuItemOutcome outcome = OnlySelectedContent(db, 9, hundred, &reloader);
    EXPECT_EQ(outcome.switchToMode, 5);
    EXPECT_EQ(List(5), QStringList{QString(64, QChar(u'文'))});
    const MenuItemOutcome blank = OnlySelectedContent(db, 9, QStringLiteral(" \t"), &reloader);
    EXPECT_EQ(blank.notice, QStringLiteral("未选择任何文字！"));
    EXPECT_EQ(blank.switchToMode, -1);
    EXPECT_EQ(List(5).size(), 1);
}

} // namespace

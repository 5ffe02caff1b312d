#include "reader/view/CSetSomeBodyDlg.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/view/ViewTestSupport.h"
#include "tests/support/TempHome.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <gtest/gtest.h>

namespace {

class RecordingReloader : public FilterListReloader {
public:
    void ReloadList(int, int listNo) override { lists.append(listNo); }
    QList<int> lists;
};

QStringList Rows(const CSetSomeBodyDlg& dialog) {
    QStringList rows;
    for (int r = 0; r < dialog.List()->GetItemCount(); ++r)
        rows.append(dialog.List()->GetItemText(r, 0));
    return rows;
}

class SetSomeBodyDlgTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateThreadDatabase(db)); }
    QStringList Stored(int listNo) {
        QStringList entries;
        ReadSomeBodyList(db, listNo, entries);
        return entries;
    }
    TempHome home;
    QString db;
    RecordingReloader reloader;
    NoticeRecorder notices;
    const QString starter = QStringLiteral("楼主");
};

TEST_F(SetSomeBodyDlgTest, TextsOfTheFourModes) {
    const QStringList captions = {"设置只看某些人", "设置高亮某些人", "设置屏蔽某些人",
                                  "设置只看某些内容"};
    const QStringList prompts = {"请输入只看用户ID：", "请输入高亮用户ID：", "请输入屏蔽用户ID：",
                                 "请输入只看内容："};
    for (int mode = 2; mode <= 5; ++mode) {
        CSetSomeBodyDlg dialog(mode, db, starter, 3, &reloader);
        EXPECT_EQ(dialog.SkinCaption(), captions[mode - 2]);
        EXPECT_EQ(dialog.Prompt()->text(), prompts[mode - 2]);
        EXPECT_EQ(dialog.List()->Model()->headerData(0, Qt::Horizontal).toString(),
                  mode == 5 ? QStringLiteral("内容") : QStringLiteral("用户ID"));
        EXPECT_EQ(Rows(dialog), mode == 4 ? QStringList{} : QStringList{starter});
        EXPECT_EQ(dialog.Input()->maxLength(), 32);
    }
}

TEST_F(SetSomeBodyDlgTest, AddDeleteAndOk) {
    CSetSomeBodyDlg dialog(4, db, starter, 3, &reloader);
    dialog.Input()->setText(QStringLiteral("讨厌鬼"));
    dialog.AddButton()->click();
    EXPECT_EQ(Rows(dialog), QStringList{QStringLiteral("讨厌鬼")});
    EXPECT_TRUE(dialog.Input()->text().isEmpty());
    dialog.Input()->setText(QStringLiteral("讨厌鬼"));
    dialog.AddButton()->click();
    EXPECT_EQ(Rows(dialog).size(), 1);
    EXPECT_EQ(dialog.Input()->text(), QStringLiteral("讨厌鬼")); // kept when already listed
    EXPECT_EQ(notices.notices, (QStringList{"添加成功!", "添加成功!"}));

    dialog.List()->selectAll();
    dialog.DeleteSelected();
    EXPECT_EQ(dialog.List()->GetItemCount(), 0);
    dialog.accept();
    EXPECT_EQ(notices.notices.last(), QStringLiteral("请至少添加一个关注者"));
    EXPECT_EQ(dialog.result(), QDialog::Rejected); // still open, nothing decided
    EXPECT_TRUE(reloader.lists.isEmpty());

    dialog.Input()->setText(QStringLiteral("甲"));
    dialog.AddFromInput();
    dialog.Input()->setText(QStringLiteral("乙"));
    dialog.AddFromInput();
    dialog.List()->SelectRow(0);
    dialog.DeleteSelected();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Stored(4), QStringList{QStringLiteral("乙")});
    EXPECT_EQ(reloader.lists, QList<int>{4});
}

TEST_F(SetSomeBodyDlgTest, ANameAddedForHighlightingIsListedForShowingOnly) {
    {
        CSetSomeBodyDlg highlight(3, db, starter, 3, &reloader);
        highlight.Input()->setText(QStringLiteral("乙"));
        highlight.AddFromInput();
        highlight.accept();
    }
    CSetSomeBodyDlg only(2, db, starter, 3, &reloader);
    EXPECT_EQ(Rows(only), (QStringList{starter, QStringLiteral("乙")}));
    EXPECT_EQ(reloader.lists, QList<int>{2});
}

TEST_F(SetSomeBodyDlgTest, CancelStoresNothing) {
    CSetSomeBodyDlg dialog(5, db, starter, 3, &reloader);
    dialog.Input()->setText(QStringLiteral("关键词"));
    dialog.AddFromInput();
    dialog.reject();
    EXPECT_TRUE(Stored(5).isEmpty());
    EXPECT_TRUE(reloader.lists.isEmpty());
}

} // namespace

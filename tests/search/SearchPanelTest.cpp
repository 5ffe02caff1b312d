// The search panel offscreen, on threads stored through the store's API and not yet indexed:
// the panel's own synchronisation at start indexes them.
#include "reader/search/CSearchPanel.h"
#include "skin/CSkinButton.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"
#include "store/CatalogueFile.h"
#include "tests/search/SearchTestSupport.h"
#include "tests/support/TempHome.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

ThreadPost Post(int page, const char* author, const char* time, const char* content) {
    return ThreadPost{page, QString::fromUtf8(author), QString::fromUtf8(time),
                      QString::fromUtf8(content)};
}

// Types text key by key, as an input method hands it over.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

class SearchPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureCatalogueFile());
        a = FollowStoredThread(
            QStringLiteral("长帖甲"),
            {Post(1, "山野客", "2020-01-01 10:00:00", "我们在天涯社区认识的。"),
             Post(3, "江南书生", "2020-03-01 10:00:00", "天涯\n海角，都是旧事。")},
            false);
        QList<ThreadPost> many;
        for (int i = 0; i < 60; ++i)
            many.append(
                ThreadPost{1 + i / 10, QStringLiteral("清风"),
                           QStringLiteral("2021-01-01 10:%1:00").arg(i, 2, 10, QLatin1Char('0')),
                           QStringLiteral("第%1楼：县城的老街。").arg(i)});
        b = FollowStoredThread(QStringLiteral("长帖乙"), many, false);
        ASSERT_GT(a.focusPageNo, 0);
        ASSERT_GT(b.focusPageNo, 0);
        panel = std::make_unique<CSearchPanel>();
        panel->resize(1000, 500);
        panel->show();
        QSignalSpy synced(panel.get(), &CSearchPanel::Synchronised);
        ASSERT_TRUE(synced.wait(20000));
    }

    // Types the words and presses Enter; waits for the answer.
    void Search(const QString& words) {
        QSignalSpy shown(panel.get(), &CSearchPanel::ResultsShown);
        panel->WordsBox()->clear();
        Type(panel->WordsBox(), words);
        QTest::keyClick(panel->WordsBox(), Qt::Key_Return);
        ASSERT_TRUE(shown.count() > 0 || shown.wait(20000));
    }

    QStringList Row(int row) const {
        QStringList texts;
        for (int c = 0; c <= CSearchPanel::ColumnExcerpt; ++c)
            texts.append(panel->Results()->GetItemText(row, c));
        return texts;
    }

    TempHome home;
    FollowRecord a;
    FollowRecord b;
    std::unique_ptr<CSearchPanel> panel;
};

TEST_F(SearchPanelTest, ShowsHitsNewestFirstAndAClickAsksForThePage) {
    Search(QStringLiteral("天涯"));
    ASSERT_EQ(panel->Results()->GetItemCount(), 2);
    EXPECT_EQ(Row(0),
              (QStringList{QStringLiteral("长帖甲"), QStringLiteral("3"),
                           QStringLiteral("江南书生"), QStringLiteral("2020-03-01 10:00:00"),
                           QStringLiteral("天涯 海角，都是旧事。")}));
    EXPECT_EQ(Row(1)[1], QStringLiteral("1"));
    EXPECT_EQ(panel->Status()->text(), QStringLiteral("找到 2 条"));

    QSignalSpy open(panel.get(), &CSearchPanel::OpenPage);
    const QRect second = panel->Results()->visualRect(panel->Results()->Model()->index(1, 0));
    QTest::mouseClick(panel->Results()->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.first().at(0).toInt(), a.focusPageNo);
    EXPECT_EQ(open.first().at(1).toInt(), 1);
}

TEST_F(SearchPanelTest, FiltersNarrowTheHits) {
    const int at = panel->ThreadFilter()->findData(a.focusPageNo);
    ASSERT_GT(at, 0);
    EXPECT_EQ(panel->ThreadFilter()->itemText(at), QStringLiteral("长帖甲"));
    panel->ThreadFilter()->setCurrentIndex(at);
    Search(QStringLiteral("的"));
    ASSERT_EQ(panel->Results()->GetItemCount(), 1);
    EXPECT_EQ(Row(0)[2], QStringLiteral("山野客"));

    panel->ThreadFilter()->setCurrentIndex(0);
    panel->AuthorFilter()->setText(QStringLiteral("江南书生"));
    Search(QStringLiteral("旧事"));
    ASSERT_EQ(panel->Results()->GetItemCount(), 1);
    panel->AuthorFilter()->setText(QStringLiteral("山野客"));
    Search(QStringLiteral("旧事"));
    EXPECT_EQ(panel->Results()->GetItemCount(), 0);
    EXPECT_EQ(panel->Status()->text(), QStringLiteral("没有找到"));
}

TEST_F(SearchPanelTest, MoreFetchesTheNextHitsAndPunctuationAsksForWords) {
    Search(QStringLiteral("老街"));
    ASSERT_EQ(panel->Results()->GetItemCount(), CSearchPanel::kPageSize);
    EXPECT_EQ(Row(0)[4], QStringLiteral("第59楼：县城的老街。"));
    ASSERT_TRUE(panel->MoreButton()->isEnabled());
    QSignalSpy shown(panel.get(), &CSearchPanel::ResultsShown);
    panel->MoreButton()->click();
    ASSERT_TRUE(shown.wait(20000));
    ASSERT_EQ(panel->Results()->GetItemCount(), 60);
    EXPECT_EQ(Row(59)[4], QStringLiteral("第0楼：县城的老街。"));
    EXPECT_FALSE(panel->MoreButton()->isEnabled());

    Search(QStringLiteral("，。"));
    EXPECT_EQ(panel->Results()->GetItemCount(), 0);
    EXPECT_EQ(panel->Status()->text(), QStringLiteral("请输入要搜索的词语"));
}

TEST_F(SearchPanelTest, TypingSearchesAfterAPause) {
    QSignalSpy shown(panel.get(), &CSearchPanel::ResultsShown);
    Type(panel->WordsBox(), QStringLiteral("社区"));
    ASSERT_TRUE(shown.wait(20000));
    while (!panel->Idle())
        ASSERT_TRUE(shown.wait(20000));
    ASSERT_EQ(panel->Results()->GetItemCount(), 1);
    EXPECT_EQ(panel->Hits().first().focusPageNo, a.focusPageNo);
}

} // namespace

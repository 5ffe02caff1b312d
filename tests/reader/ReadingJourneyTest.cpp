// A new user's journey through the real windows, against the real server and the sample
// forum: follow a thread, read it with a filter, reply with the demo account and export it.
#include "reader/CLoginDlg.h"
#include "reader/CSelExportPageRangeDlg.h"
#include "tests/reader/ReadingJourneyKit.h"

#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace quillmere_e2e;

TEST_F(ReadingJourney, FollowReadOnlyTheStarterReplyAndExport) {
    const int followNo = followAndRead(threadUrl("/publicforum/content/free/1/1001-1.shtml"));
    ASSERT_GT(followNo, 0);
    ASSERT_TRUE(PumpUntil([&] { return windowRegistry->OpenWindowCount() == 1; }, 10000));
    auto* shown = dynamic_cast<CShowContent*>(windowRegistry->FindReadingWindow(followNo));
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return cell(followNo, 3) == QStringLiteral("12/12"); }, 90000))
        << cell(followNo, 3).toStdString();

    const QList<ForumPost> before = forumPosts(1001);
    ASSERT_EQ(before.size(), 120);
    const QString starter = before[0].author;

    // Read with the filter "只看楼主" from the first page.
    if (shown->ViewMode() == 0) {
        ASSERT_TRUE(clickAndRender(shown, shown->Radio(1)));
    }
    ASSERT_TRUE(clickAndRender(shown, shown->Radio(0)));
    ASSERT_TRUE(clickAndRender(shown, shown->Button(6)));
    EXPECT_EQ(shown->ViewMode(), 0);
    const ShownPosts screen = shown->ShownPostList();
    ASSERT_FALSE(screen.isEmpty());
    // A screen covers the pages up to the next screen's first post: the starter's posts in
    // the forum's order, nothing skipped, and "下一页" goes on with the next of them.
    QList<ForumPost> wanted;
    for (const ForumPost& post : before)
        if (post.author == starter)
            wanted.append(post);
    auto expectScreen = [&](qsizetype from) {
        const ShownPosts posts = shown->ShownPostList();
        ASSERT_FALSE(posts.isEmpty());
        ASSERT_LE(from + posts.size(), wanted.size());
        for (qsizetype i = 0; i < posts.size(); ++i) {
            const ForumPost& want = wanted[from + i];
            EXPECT_EQ(posts[i].pageNo, want.page) << from + i;
            EXPECT_EQ(posts[i].author, starter) << from + i;
            EXPECT_EQ(posts[i].time, want.time) << from + i;
            EXPECT_EQ(posts[i].content.trimmed(), want.content) << from + i;
        }
        EXPECT_EQ(shown->Edges().firstPage, wanted[from].page);
        if (from + posts.size() < wanted.size()) {
            EXPECT_GE(wanted[from + posts.size()].page, shown->Edges().lastPage);
        }
    };
    expectScreen(0);
    const qsizetype firstScreen = screen.size();
    ASSERT_LT(firstScreen, wanted.size());
    ASSERT_TRUE(shown->Button(4)->isEnabled());
    ASSERT_TRUE(clickAndRender(shown, shown->Button(4)));
    expectScreen(firstScreen);

    // Reply with the demo account: the reader asks for the login first.
    DialogAnswerer login([](QWidget* modal) {
        if (auto* dialog = qobject_cast<CLoginDlg*>(modal)) {
            dialog->UserEdit()->setText(QStringLiteral("demo"));
            dialog->PasswordEdit()->setText(QStringLiteral("demo123"));
            dialog->LogIn();
        }
    });
    shown->Button(1029)->click();
    ASSERT_TRUE(shown->Button(1016)->isVisible());
    const QString replyText = QStringLiteral("第一次来，从头读到尾，多谢楼主 & <分享>");
    shown->ReplyEditor()->setPlainText(replyText);
    shown->Button(1016)->click();
    ASSERT_TRUE(PumpUntil([&] { return !notices.isEmpty(); }, 60000)) << "no reply answer";
    EXPECT_TRUE(shown->ReplyEditor()->toPlainText().isEmpty()) << notices.join('|').toStdString();
    QList<ForumPost> after;
    ASSERT_TRUE(PumpUntil(
        [&] {
            after = forumPosts(1001);
            return after.size() > before.size();
        },
        10000));
    ASSERT_EQ(after.size(), before.size() + 1) << notices.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(after.last().author, QStringLiteral("demo"));
    EXPECT_EQ(after.last().content, replyText);

    // Everyone's posts at the newest page; "立即刷新" brings the reply into the view.
    ASSERT_TRUE(clickAndRender(shown, shown->Radio(1)));
    ASSERT_TRUE(clickAndRender(shown, shown->Button(5)));
    // A full screen does not grow: the new page makes "下一页" lead to the reply.
    shown->Button(1019)->click();
    auto replyShown = [&] {
        const ShownPosts posts = shown->ShownPostList();
        return !posts.isEmpty() && posts.last().author == QStringLiteral("demo") &&
               posts.last().content.trimmed() == replyText;
    };
    const bool moved =
        PumpUntil([&] { return replyShown() || shown->Button(4)->isEnabled(); }, 90000);
    if (!moved) {
        ReadingScreen model;
        registry->FindReadingModel(followNo)->GetScreen(model);
        QList<int> pages;
        registry->FindReadingModel(followNo)->GetStoredPages(pages);
        ADD_FAILURE() << "model " << model.startPage << "-" << model.endPage << " next "
                      << model.nextPage << " posts " << model.posts.size() << " stored "
                      << pages.size() << " mode " << shown->ViewMode() << " hasNext "
                      << shown->Edges().hasNext << " visible " << shown->isVisible() << " pending "
                      << shown->RenderPending();
    }
    ASSERT_TRUE(moved);
    if (!replyShown()) {
        ASSERT_TRUE(clickAndRender(shown, shown->Button(4)));
    }
    EXPECT_TRUE(replyShown()) << "the reply is not shown: " << cell(followNo, 3).toStdString()
                              << " edges " << shown->Edges().firstPage << "-"
                              << shown->Edges().lastPage;

    // Export the starter's posts of every page to TXT through the follow list's menu.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    DialogAnswerer exportDialogs([&](QWidget* modal) {
        if (auto* chooser = qobject_cast<QFileDialog*>(modal)) {
            chooser->setDirectory(folder.path());
            static_cast<QDialog*>(chooser)->accept(); // the dialog's own accept checks the folder
        } else if (auto* range = qobject_cast<CSelExportPageRangeDlg*>(modal)) {
            range->StarterRadio()->setChecked(true);
            range->accept();
        }
    });
    selectOnly(followNo);
    window->FollowList()->RunMenuCommand(CQuillmereDlg::CmdExportText);
    const QStringList files = QDir(folder.path()).entryList({QStringLiteral("*.txt")});
    ASSERT_EQ(files.size(), 1);
    QFile file(QDir(folder.path()).filePath(files[0]));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString signature =
        QStringLiteral("【Fenwold整理 -- ") + Hosts().makerSite + QStringLiteral("】\n\n");
    QStringList blocks = text.split(signature);
    ASSERT_TRUE(blocks.last().isEmpty()) << "the file ends in a post's signature";
    blocks.removeLast();
    QList<ForumPost> starterPosts;
    for (const ForumPost& post : after)
        if (post.author == starter)
            starterPosts.append(post);
    EXPECT_EQ(messages.shown.last().text,
              QStringLiteral("已导出%1个帖！").arg(starterPosts.size()));
    ASSERT_EQ(blocks.size(), starterPosts.size());
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        const ForumPost& post = starterPosts[i];
        const QString header = QStringLiteral("          第%1页     作者：%2     发表日期：%3\n")
                                   .arg(post.page)
                                   .arg(post.author, post.time);
        ASSERT_TRUE(blocks[i].startsWith(header)) << i << blocks[i].left(80).toStdString();
        ASSERT_TRUE(blocks[i].endsWith(QLatin1Char('\n'))) << i;
        EXPECT_EQ(blocks[i].mid(header.size()).chopped(1).trimmed(), post.content) << i;
    }
}

TEST_F(ReadingJourney, ReadingForwardAcrossTheGapOfALongThread) {
    // The server stores the newest 21 and the first 10 pages of the 160; the rest is asked
    // for when the reading reaches it.
    const int followNo = followAndRead(QStringLiteral("http://") + Hosts().forumBbs +
                                       QStringLiteral("/post-free-1002-1.shtml"));
    ASSERT_GT(followNo, 0);
    ASSERT_TRUE(PumpUntil([&] { return windowRegistry->OpenWindowCount() == 1; }, 10000));
    auto* shown = dynamic_cast<CShowContent*>(windowRegistry->FindReadingWindow(followNo));
    ASSERT_NE(shown, nullptr);
    // At least the first walk's 31 pages: the open window may already have asked for more.
    ASSERT_TRUE(PumpUntil(
        [&] {
            const QString text = cell(followNo, 3);
            return text.endsWith(QStringLiteral("/160")) && text.section(u'/', 0, 0).toInt() >= 31;
        },
        120000))
        << cell(followNo, 3).toStdString();
    const QList<ForumPost> forumSide = forumPosts(1002);
    ASSERT_EQ(forumSide.size(), 1600);

    ASSERT_TRUE(showMode(shown, 1));
    ASSERT_TRUE(clickAndRender(shown, shown->Button(6)));
    qsizetype at = 0; // the forum's index of the screen's first post
    while (forumSide[at].page <= 14) {
        // A screen at the edge of the stored pages fills as the asked pages arrive.
        ASSERT_TRUE(PumpUntil([&] { return shown->Button(4)->isEnabled(); }, 120000))
            << "stuck after page " << shown->ShownPostList().last().pageNo << ", "
            << cell(followNo, 3).toStdString();
        const ShownPosts posts = shown->ShownPostList();
        ASSERT_FALSE(posts.isEmpty());
        ExpectPostsFrom(posts, forumSide, at);
        if (HasFatalFailure())
            return;
        at += posts.size();
        ASSERT_TRUE(clickAndRender(shown, shown->Button(4)));
    }
    EXPECT_GT(cell(followNo, 3).section(QLatin1Char('/'), 0, 0).toInt(), 31);
}

} // namespace

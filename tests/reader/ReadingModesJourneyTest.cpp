// Reading through the real windows against the real server and the sample forum: the modes
// that read their lists from the filter dialog, pictures that arrive after their screen, a
// thread that grows while it is open, and a reply whose login asks for a verification code.
#include "reader/CLoginDlg.h"
#include "reader/view/CSetSomeBodyDlg.h"
#include "skin/CSkinListCtrl.h"
#include "tests/reader/ReadingJourneyKit.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using namespace quillmere_e2e;

QList<ForumPost> PostsWhere(const QList<ForumPost>& posts,
                            const std::function<bool(const ForumPost&)>& keep) {
    QList<ForumPost> kept;
    std::copy_if(posts.begin(), posts.end(), std::back_inserter(kept), keep);
    return kept;
}

// The authors other than the starter, most posts first (names break ties).
QStringList OtherAuthors(const QList<ForumPost>& posts) {
    std::map<QString, int> counts;
    for (const ForumPost& post : posts)
        if (post.author != posts.first().author)
            ++counts[post.author];
    QStringList names;
    for (const auto& [name, count] : counts)
        names.append(name);
    std::stable_sort(names.begin(), names.end(),
                     [&](const QString& a, const QString& b) { return counts[a] > counts[b]; });
    return names;
}

// Two CJK characters that some but not most posts contain: a word for "只看某些内容".
QString CommonWord(const QList<ForumPost>& posts) {
    static const QRegularExpression twoHan(QStringLiteral("^\\p{Han}\\p{Han}$"));
    std::map<QString, int> counts;
    for (const ForumPost& post : posts) {
        QSet<QString> seen;
        for (qsizetype i = 0; i + 2 <= post.content.size(); ++i) {
            const QString pair = post.content.mid(i, 2);
            if (twoHan.match(pair).hasMatch() && !seen.contains(pair)) {
                seen.insert(pair);
                ++counts[pair];
            }
        }
    }
    QString best;
    int bestCount = 0;
    for (const auto& [pair, count] : counts)
        if (count <= posts.size() / 4 && count > bestCount) {
            best = pair;
            bestCount = count;
        }
    return bestCount >= 5 ? best : QString();
}

class ReadingModes : public ReadingJourney {
protected:
    // Picks a list mode's radio button and answers its dialog: the offered entries are
    // dropped unless `keepOffered`, then `entries` are added and the list is accepted.
    bool chooseListMode(CShowContent* shown, int mode, const QStringList& entries,
                        bool keepOffered) {
        bool answered = false;
        DialogAnswerer answerer([&](QWidget* modal) {
            auto* dialog = qobject_cast<CSetSomeBodyDlg*>(modal);
            if (!dialog)
                return;
            answered = true;
            if (!keepOffered)
                while (!dialog->Editor().Entries().isEmpty()) {
                    dialog->List()->SelectRow(0);
                    dialog->DeleteSelected();
                }
            for (const QString& entry : entries) {
                dialog->Input()->setText(entry);
                dialog->AddFromInput();
            }
            dialog->accept();
        });
        const bool rendered = clickAndRender(shown, shown->Radio(mode));
        return answered && rendered && shown->ViewMode() == mode;
    }
};

TEST_F(ReadingModes, EveryListModeShowsWhatTheForumHas) {
    // The add-follow dialog stays open for more addresses; the reading window opened from it
    // takes a click meanwhile.
    int clickedMode = -1;
    const int followNo = followAndRead(threadUrl("/publicforum/content/free/1/1001-1.shtml"), [&] {
        ASSERT_EQ(answers.size(), 1);
        // The offscreen platform delivers clicks to windows that a modal dialog blocks on a
        // display, so the dialog's kind of modality is what shows it here.
        ASSERT_NE(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(QApplication::activeModalWidget()->windowModality(), Qt::WindowModal);
        CShowContent* opened = openedWindow(answers[0].second);
        ASSERT_NE(opened, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return opened->isVisible(); }, 10000));
        const int other = opened->ViewMode() == 1 ? 0 : 1;
        QTest::mouseClick(opened->Radio(other), Qt::LeftButton);
        if (PumpUntil([&] { return opened->ViewMode() == other; }, 10000))
            clickedMode = other;
    });
    ASSERT_GT(followNo, 0);
    CShowContent* shown = openedWindow(followNo);
    ASSERT_NE(shown, nullptr);
    EXPECT_GE(clickedMode, 0) << "the reading window took no click while the dialog was open";
    ASSERT_TRUE(PumpUntil([&] { return cell(followNo, 3) == QStringLiteral("12/12"); }, 90000))
        << cell(followNo, 3).toStdString();
    const QList<ForumPost> posts = forumPosts(1001);
    ASSERT_EQ(posts.size(), 120);
    const QString starter = posts.first().author;
    const QStringList others = OtherAuthors(posts);
    ASSERT_GE(others.size(), 3);
    const QString word = CommonWord(posts);
    ASSERT_FALSE(word.isEmpty());

    // Everyone, with the starter in red.
    ASSERT_TRUE(showMode(shown, 1));
    readThroughAndCompare(shown, posts,
                          [&](const ForumPost& post) { return post.author == starter; });

    // "只看某些人": the starter, offered first, and two more.
    const QSet<QString> chosen{starter, others[0], others[1]};
    ASSERT_TRUE(chooseListMode(shown, 2, {others[0], others[1]}, true));
    readThroughAndCompare(
        shown,
        PostsWhere(posts, [&](const ForumPost& post) { return chosen.contains(post.author); }), {});

    // "高亮某些人" shares that list: everyone, the chosen in red.
    ASSERT_TRUE(chooseListMode(shown, 3, {}, true));
    readThroughAndCompare(shown, posts,
                          [&](const ForumPost& post) { return chosen.contains(post.author); });

    // "屏蔽某些人": everyone but the blocked.
    ASSERT_TRUE(chooseListMode(shown, 4, {others[2]}, false));
    readThroughAndCompare(
        shown, PostsWhere(posts, [&](const ForumPost& post) { return post.author != others[2]; }),
        {});

    // "只看某些内容": the posts that contain the word.
    ASSERT_TRUE(chooseListMode(shown, 5, {word}, false));
    readThroughAndCompare(
        shown,
        PostsWhere(posts, [&](const ForumPost& post) { return post.content.contains(word); }), {});
}

// A forum whose pictures answer a second late, so screens are in the view before their
// pictures are stored.
class LatePictures : public ReadingModes {
protected:
    QStringList forumOptions() const override {
        return {QStringLiteral("--picture-delay-ms"), QStringLiteral("1000")};
    }
};

TEST_F(LatePictures, APictureAppearsUnderItsPostWhenTheServerAnnouncesIt) {
    const int followNo = followAndRead(QStringLiteral("http://") + Hosts().forumBbs +
                                       QStringLiteral("/post-photo-1003-1.shtml"));
    ASSERT_GT(followNo, 0);
    CShowContent* shown = openedWindow(followNo);
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return cell(followNo, 3) == QStringLiteral("6/6"); }, 60000))
        << cell(followNo, 3).toStdString();
    const QList<ForumPost> posts = forumPosts(1003);
    ASSERT_EQ(posts.size(), 60);

    ASSERT_TRUE(showMode(shown, 1));
    ASSERT_TRUE(clickAndRender(shown, shown->Button(6)));
    int rendered = 0;
    QObject::connect(shown, &CShowContent::ScreenRendered, [&rendered] { ++rendered; });
    const ShownPosts screen = shown->ShownPostList();
    ASSERT_EQ(screen.size(), 30);

    // Every picture of the screen's posts under its own post's header, decoded.
    auto pictureCount = [](const QList<ViewHeader>& headers) {
        int count = 0;
        for (const ViewHeader& header : headers)
            count += header.loadedPictures;
        return count;
    };
    const int atFirst = pictureCount(viewHeaders(shown));
    auto allShown = [&] {
        const QList<ViewHeader> headers = viewHeaders(shown);
        if (headers.size() != screen.size())
            return false;
        for (qsizetype i = 0; i < headers.size(); ++i) {
            const ForumPost& post = posts[i];
            const auto wanted =
                static_cast<int>(QSet<QString>(post.pictures.begin(), post.pictures.end()).size());
            if (!HeaderNames(headers[i], post) || headers[i].pictures != wanted ||
                headers[i].loadedPictures != wanted)
                return false;
        }
        return true;
    };
    if (!PumpUntil(allShown, 120000)) {
        const QList<ViewHeader> headers = viewHeaders(shown);
        for (qsizetype i = 0; i < headers.size() && i < posts.size(); ++i)
            ADD_FAILURE() << headers[i].text.toStdString() << ": " << headers[i].pictures << " "
                          << headers[i].loadedPictures << " of "
                          << posts[i].pictures.join(QLatin1Char(' ')).toStdString();
        FAIL() << "pictures in the view: " << pictureCount(headers);
    }
    // They came into the screen that was already there, not with a new one.
    EXPECT_EQ(rendered, 0);
    EXPECT_LT(atFirst, pictureCount(viewHeaders(shown)));
}

TEST_F(ReadingModes, AGrowingThreadAndAReplyAreAppendedToTheOpenScreen) {
    const int followNo = followAndRead(threadUrl("/publicforum/content/news/1/1004-1.shtml"));
    ASSERT_GT(followNo, 0);
    CShowContent* shown = openedWindow(followNo);
    ASSERT_NE(shown, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return cell(followNo, 3) == QStringLiteral("3/3"); }, 60000))
        << cell(followNo, 3).toStdString();
    ASSERT_TRUE(showMode(shown, 1));
    // The screen that begins with the newest page has room for two pages more.
    ASSERT_TRUE(actAndRender(shown, [&] { shown->GotoPage(3); }));
    ASSERT_EQ(shown->ShownPostList().size(), 10);
    int rendered = 0;
    int appended = 0;
    QObject::connect(shown, &CShowContent::ScreenRendered, [&rendered] { ++rendered; });
    QObject::connect(shown, &CShowContent::PostsAppended,
                     [&appended](int count) { appended += count; });
    // The view shows posts 21 onwards of the forum, and nothing else.
    auto expectScreenFromPage3 = [&] {
        const QList<ForumPost> posts = forumPosts(1004).mid(20);
        const ShownPosts list = shown->ShownPostList();
        const QList<ViewHeader> headers = viewHeaders(shown);
        ASSERT_EQ(list.size(), posts.size());
        ASSERT_EQ(headers.size(), posts.size());
        ExpectPostsFrom(list, posts, 0);
        for (qsizetype i = 0; i < posts.size(); ++i)
            EXPECT_TRUE(HeaderNames(headers[i], posts[i])) << headers[i].text.toStdString();
    };

    // The forum grows by a page; "立即刷新" brings it into the open screen.
    ASSERT_FALSE(forumControl(QStringLiteral("/__control/grow?thread=1004")).isEmpty());
    shown->Button(1019)->click();
    ASSERT_TRUE(PumpUntil([&] { return appended >= 10; }, 60000)) << "appended " << appended;
    ASSERT_TRUE(PumpUntil([&] { return shown->Button(1019)->isEnabled(); }, 35000));
    expectScreenFromPage3();

    // A reply. The first login is cancelled: nothing is sent and the text stays. Then the
    // first password is wrong, so the forum asks for a verification code.
    int loginStep = -1;
    QTimer loginHand;
    loginHand.setInterval(50);
    QObject::connect(&loginHand, &QTimer::timeout, [&] {
        CLoginDlg* dialog = CLoginDlg::OpenDialog();
        if (!dialog || !dialog->LoginButton()->isEnabled())
            return;
        if (loginStep == -1) {
            loginStep = 0;
            dialog->reject();
        } else if (loginStep == 0) {
            loginStep = 1;
            dialog->UserEdit()->setText(QStringLiteral("demo"));
            dialog->PasswordEdit()->setText(QStringLiteral("wrong-password"));
            dialog->LogIn();
        } else if (loginStep == 1 && dialog->PictureShown()) {
            loginStep = 2;
            EXPECT_EQ(dialog->Picture().size(), QSize(100, 30));
            dialog->PasswordEdit()->setText(QStringLiteral("demo123"));
            dialog->CodeEdit()->setText(
                QString::fromLatin1(forumControl(QStringLiteral("/__control/vcode"))).trimmed());
            dialog->LogIn();
        }
    });
    loginHand.start();
    const int beforeReply = appended;
    shown->Button(1029)->click();
    const QString replyText = QStringLiteral("追更到这里了 \"引号\" & <尖括号>");
    shown->ReplyEditor()->setPlainText(replyText);
    shown->Button(1016)->click();
    ASSERT_EQ(loginStep, 0);
    EXPECT_EQ(shown->ReplyEditor()->toPlainText(), replyText);
    EXPECT_TRUE(shown->Button(1016)->isEnabled());
    shown->Button(1016)->click();
    loginHand.stop();
    EXPECT_EQ(loginStep, 2);
    EXPECT_TRUE(
        std::any_of(messages.shown.begin(), messages.shown.end(), [](const auto& shownMessage) {
            return shownMessage.text == QStringLiteral("用户名或密码错误");
        }));
    ASSERT_TRUE(PumpUntil([&] { return !notices.isEmpty(); }, 60000)) << "no reply answer";
    ASSERT_EQ(notices.last(), QStringLiteral("回复成功！"));

    // "回复成功！" means the form was sent; the page posts it moments later.
    ASSERT_TRUE(PumpUntil([&] { return forumPosts(1004).size() == 41; }, 10000));
    shown->Button(1019)->click();
    ASSERT_TRUE(PumpUntil(
        [&] {
            return appended > beforeReply &&
                   shown->ShownPostList().last().author == QStringLiteral("demo");
        },
        60000))
        << "stored " << cell(followNo, 3).toStdString() << ", forum posts "
        << forumPosts(1004).size() << ", shown " << shown->ShownPostList().size() << " ending with "
        << shown->ShownPostList().last().author.toStdString() << ", pages "
        << shown->Edges().firstPage << "-" << shown->Edges().lastPage << " next "
        << shown->Edges().hasNext << "\n"
        << serverLogTail();
    EXPECT_EQ(shown->ShownPostList().last().content.trimmed(), replyText);
    expectScreenFromPage3();
    EXPECT_EQ(rendered, 0) << "new posts came as a new screen";
    // The server heard of the cancelled login once (its log names that code "NoDefine", and no
    // other code the reader sends).
    const QString log = QString::fromStdString(serverLogTail());
    EXPECT_EQ(log.count(QStringLiteral("OnCopyData = NoDefine")), 1) << log.toStdString();
}

} // namespace

#pragma once

// What the journeys through the real reading windows share: the forum's own posts, dialogs
// answered as a user would, clicks that wait for their screen, and the post view read back.
#include "reader/view/CShowContent.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/ReaderNotice.h"
#include "tests/reader/ReaderEndToEndFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>

namespace quillmere_e2e {

struct ForumPost {
    int page = 0;
    QString author;
    QString time;
    QString content;
    QStringList pictures; // addresses, as the forum's page names them
};

// One post header of the post view: its text and whether its author is in red.
struct ViewHeader {
    QString text;
    bool red = false;
    int pictures = 0;       // pictures under it
    int loadedPictures = 0; // of which the engine has decoded
};

// Answers each modal dialog the windows open once, as a user would, from the event loop
// the dialog runs.
class DialogAnswerer {
public:
    explicit DialogAnswerer(std::function<void(QWidget*)> answer) : answer_(std::move(answer)) {
        timer_.setInterval(50);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || answered_.contains(modal))
                return;
            answered_.append(modal);
            answer_(modal);
        });
        timer_.start();
    }

private:
    std::function<void(QWidget*)> answer_;
    QList<QPointer<QWidget>> answered_;
    QTimer timer_;
};

class ReadingJourney : public ReaderWithReadingWindows {
protected:
    // A control address of the sample forum, answered within the time or empty.
    QByteArray forumControl(const QString& pathAndQuery) {
        QNetworkAccessManager network;
        QNetworkRequest request(
            QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(forum->Port()).arg(pathAndQuery)));
        request.setTransferTimeout(10000);
        QNetworkReply* reply = network.get(request);
        PumpUntil([&] { return reply->isFinished(); }, 15000);
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        return body;
    }

    // The end of the server's log, which it writes on request; for failure messages.
    std::string serverLogTail() {
        const QString file = home.File(QStringLiteral("SvrLog.txt"));
        QFile::remove(file);
        link->QueueSmall(MakeSmall(CDTWriteLog));
        QFile log(file);
        // Written in one go once asked; a moment more lets the writer finish.
        if (!PumpUntil([&] { return log.exists(); }, 5000))
            return "(the server wrote no log)";
        PumpUntil([] { return false; }, 500);
        if (!log.open(QIODevice::ReadOnly))
            return "(the server's log cannot be read)";
        return log.readAll().right(12000).toStdString();
    }

    // The forum's own posts of a thread, from its control address.
    QList<ForumPost> forumPosts(int thread) {
        const QJsonArray array =
            QJsonDocument::fromJson(
                forumControl(QStringLiteral("/__control/posts?thread=%1").arg(thread)))
                .object()
                .value(QStringLiteral("posts"))
                .toArray();
        QList<ForumPost> posts;
        for (const auto& value : array) {
            const QJsonObject post = value.toObject();
            QStringList pictures;
            for (const auto& address : post.value(QStringLiteral("pictures")).toArray())
                pictures.append(address.toString());
            posts.append({post.value(QStringLiteral("page")).toInt(),
                          post.value(QStringLiteral("author")).toString(),
                          post.value(QStringLiteral("time")).toString(),
                          post.value(QStringLiteral("content")).toString(), pictures});
        }
        return posts;
    }

    // Follows through the add-follow dialog, answering "read it now"; the follow number.
    // `whileOpen` runs after the answer, before the dialog is closed.
    int followAndRead(const QString& address, const std::function<void()>& whileOpen = {}) {
        messages.answers = {6};
        QTimer::singleShot(0, window.get(), [&] {
            CAddFocusWebpageDlg* dialog = window->FollowList()->AddFollowDialog();
            dialog->AddressEdit()->setText(address);
            dialog->Add();
            PumpUntil([&] { return !dialog->Waiting(); }, 60000);
            if (whileOpen)
                whileOpen();
            dialog->reject();
        });
        window->FollowList()->RunAddFollowDialog();
        return answers.size() == 1 && answers[0].first == 1 ? answers[0].second : 0;
    }

    // The reading window the follow list opened for a follow.
    CShowContent* openedWindow(int followNo) {
        if (!PumpUntil([&] { return windowRegistry->OpenWindowCount() == 1; }, 10000))
            return nullptr;
        return dynamic_cast<CShowContent*>(windowRegistry->FindReadingWindow(followNo));
    }

    // Clicks and waits until the window has rendered the screen the click asked for.
    bool clickAndRender(CShowContent* shown, QAbstractButton* button) {
        return actAndRender(shown, [button] { button->click(); });
    }
    bool actAndRender(CShowContent* shown, const std::function<void()>& action) {
        int rendered = 0;
        auto connection =
            QObject::connect(shown, &CShowContent::ScreenRendered, [&rendered] { ++rendered; });
        action();
        const bool done = PumpUntil([&] { return rendered > 0 && !shown->RenderPending(); }, 30000);
        QObject::disconnect(connection);
        return done;
    }

    // Picks one of the two modes without a list (0 or 1) unless the window shows it already.
    bool showMode(CShowContent* shown, int mode) {
        return shown->ViewMode() == mode || clickAndRender(shown, shown->Radio(mode));
    }

    // A script's value in the post view.
    QVariant evalInView(CShowContent* shown, const QString& script) {
        bool answered = false;
        QVariant value;
        shown->PostView()->RunScript(script, [&](const QVariant& v) {
            value = v;
            answered = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return answered; }, 10000)) << "no answer from the view";
        return value;
    }

    // The post headers the view shows, in order, read from its document.
    QList<ViewHeader> viewHeaders(CShowContent* shown) {
        const QVariantList rows =
            evalInView(shown,
                       QStringLiteral(
                           "Array.from(document.body.children)"
                           ".filter(function(e){return (e.innerText||'').indexOf('发表日期')>=0;})"
                           ".map(function(e){var imgs=Array.from(e.querySelectorAll('img'));"
                           "return [e.innerText, !!e.querySelector('font font[color=\"#FF0000\"]'),"
                           "imgs.length, imgs.filter(function(i){return i.complete && "
                           "i.naturalWidth>0;}).length];})"))
                .toList();
        QList<ViewHeader> headers;
        for (const QVariant& row : rows) {
            const QVariantList cells = row.toList();
            if (cells.size() == 4)
                headers.append(
                    {cells[0].toString(), cells[1].toBool(), cells[2].toInt(), cells[3].toInt()});
        }
        return headers;
    }

    // Whether a header of the view names this post.
    static bool HeaderNames(const ViewHeader& header, const ForumPost& post) {
        return header.text.contains(QStringLiteral("第%1页").arg(post.page)) &&
               header.text.contains(QStringLiteral("作者：") + post.author) &&
               header.text.contains(QStringLiteral("发表日期：") + post.time);
    }

    // The window's posts are the forum's posts from index `at` on, in order.
    static void ExpectPostsFrom(const ShownPosts& posts, const QList<ForumPost>& wanted,
                                qsizetype at) {
        ASSERT_LE(at + posts.size(), wanted.size());
        for (qsizetype i = 0; i < posts.size(); ++i) {
            const ForumPost& want = wanted[at + i];
            ASSERT_EQ(posts[i].pageNo, want.page) << at + i;
            EXPECT_EQ(posts[i].author, want.author) << at + i;
            EXPECT_EQ(posts[i].time, want.time) << at + i;
            EXPECT_EQ(posts[i].content.trimmed(), want.content) << at + i;
        }
    }

    // Reads a thread in the window's mode from "首页" to the end with "下一页" and checks that
    // the screens together show exactly `wanted`, in order, in the window's list and in the
    // view's document; `red` says which posts a highlighting mode shows in red.
    void readThroughAndCompare(CShowContent* shown, const QList<ForumPost>& wanted,
                               const std::function<bool(const ForumPost&)>& red) {
        ASSERT_TRUE(clickAndRender(shown, shown->Button(6)));
        qsizetype at = 0;
        for (int screenNo = 0;; ++screenNo) {
            SCOPED_TRACE(QStringLiteral("mode %1, screen %2")
                             .arg(shown->ViewMode())
                             .arg(screenNo)
                             .toStdString());
            const ShownPosts posts = shown->ShownPostList();
            const QList<ViewHeader> headers = viewHeaders(shown);
            ASSERT_EQ(headers.size(), posts.size());
            ExpectPostsFrom(posts, wanted, at);
            if (::testing::Test::HasFatalFailure())
                return;
            for (qsizetype i = 0; i < posts.size(); ++i) {
                const ForumPost& want = wanted[at + i];
                EXPECT_TRUE(HeaderNames(headers[i], want)) << headers[i].text.toStdString();
                EXPECT_EQ(headers[i].red, red && red(want)) << headers[i].text.toStdString();
            }
            at += posts.size();
            if (!shown->Button(4)->isEnabled())
                break;
            ASSERT_TRUE(clickAndRender(shown, shown->Button(4)));
        }
        EXPECT_EQ(at, wanted.size()) << "posts of the thread never shown";
    }

    QStringList notices;
    NoticeHandler previousNotices =
        SetNoticeHandler([this](QWidget*, const QString& text) { notices.append(text); });
    ~ReadingJourney() override { SetNoticeHandler(previousNotices); }
};

} // namespace quillmere_e2e

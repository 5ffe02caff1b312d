#include "common/ProgramDirectory.h"
#include "reader/reading/PostHtml.h"
#include "reader/view/CShowCtl.h"
#include "tests/reader/view/ViewTestSupport.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

const QString kTime = QStringLiteral("2021-03-04 05:06:07");

// The headers as the engine serialises the two templates ("&nbsp" becomes "&nbsp;", the
// colour attributes get quotes).
QString RedHeader(int page, const QString& author, const QString& time) {
    return QStringLiteral(
               "<p></p><center><font color=\"#00A000\">第%1页&nbsp;&nbsp;&nbsp;&nbsp;\t\t\t作者："
               "<font color=\"#FF0000\">%2</font>&nbsp;&nbsp;&nbsp;&nbsp;\t\t\t发表日期：%3"
               "</font></center><p></p>")
        .arg(page)
        .arg(author, time);
}

QString PlainHeader(int page, const QString& author, const QString& time) {
    return QStringLiteral(
               "<p></p><center><font color=\"#00A000\">第%1页&nbsp;&nbsp;&nbsp;&nbsp;\t\t\t\t\t   "
               "作者：%2&nbsp;&nbsp;&nbsp;&nbsp;\t\t\t\t\t   发表日期：%3</font></center><p></p>")
        .arg(page)
        .arg(author, time);
}

QString Element(const QString& inner) {
    return QStringLiteral("<href>") + inner + QStringLiteral("</href>");
}

// A picture element as the engine keeps it: the stray "</p>" of the template opens and closes
// an empty paragraph.
QString PictureElement(const QString& path) {
    return Element(QStringLiteral("<img src=\"%1\"><p></p>").arg(path));
}

QString LinkElement(const QString& sentinel, const QString& text) {
    return Element(QStringLiteral("<p></p><center><a target=\"_blank\" href=\"%1\">%2</a></center>")
                       .arg(sentinel, text));
}

const QString kTop = QStringLiteral("<div id=\"top\"></div>");

class ShowCtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(800, 600);
        view.show();
        Load();
    }

    void Load() {
        bool loaded = false;
        auto connection =
            QObject::connect(&view, &CShowCtl::DocumentLoaded, [&](bool) { loaded = true; });
        view.NavigateToShow();
        ASSERT_TRUE(SpinUntil([&] { return loaded; }));
        QObject::disconnect(connection);
        ASSERT_TRUE(Ready());
    }

    bool Ready() {
        bool answered = false, ready = false;
        view.IsDocumentReady([&](bool r) {
            ready = r;
            answered = true;
        });
        EXPECT_TRUE(SpinUntil([&] { return answered; }));
        return ready;
    }

    // The value of a script run after every edit issued before it.
    QVariant Eval(const QString& script) {
        bool answered = false;
        QVariant value;
        view.RunScript(script, [&](const QVariant& v) {
            value = v;
            answered = true;
        });
        EXPECT_TRUE(SpinUntil([&] { return answered; }));
        return value;
    }

    QString Body() { return Eval(QStringLiteral("document.body.innerHTML")).toString(); }

    bool Insert(int page, const QString& author, const QString& time, const QString& path) {
        bool answered = false, found = false;
        view.InsertPicture(ThreadPicture{page, author, time, 0, path}, [&](bool f) {
            found = f;
            answered = true;
        });
        EXPECT_TRUE(SpinUntil([&] { return answered; }));
        return found;
    }

    TempHome home;
    CShowCtl view;
};

TEST_F(ShowCtlTest, DeliveredDocumentIsCopiedIntoTheHomeAndIsReady) {
    EXPECT_TRUE(QFile::exists(home.File("Show.html")));
    EXPECT_EQ(Body(), kTop);
    EXPECT_EQ(Eval(QStringLiteral("location.protocol")).toString(), QStringLiteral("file:"));
    // While a load is under way the document is never ready.
    view.RefreshView();
    EXPECT_FALSE(Ready());
}

TEST_F(ShowCtlTest, ScreenOfPostsIsBuiltExactly) {
    const QString a = QStringLiteral("甲乙"), b = QStringLiteral("丙");
    const ShownPosts posts = {
        {10, a, kTime, QStringLiteral("第一行\n第二行"), QStringLiteral("#FF0000")},
        {11, b, kTime, QStringLiteral("普通"), QStringLiteral("#808080")},
        {1, a, kTime, QStringLiteral("加<b>粗</b>&amp; <script>x()</script>"), QString()},
        {1, a, kTime, QStringLiteral("同一个帖子又出现一次"), QStringLiteral("#ff0000")},
        {2, QStringLiteral("<i>名</i>"), kTime, QStringLiteral("名字里的标记也只是文字"),
         QString()},
    };
    view.AppendPosts(posts);

    // Pictures: page 1 goes under the first header of page 1, never under page 10 or 11.
    const QString picture1 = home.File("Img/1.png"), picture10 = home.File("Img/10.png");
    EXPECT_TRUE(Insert(1, a, kTime, picture1));
    EXPECT_TRUE(Insert(10, a, kTime, picture10));
    EXPECT_TRUE(Insert(1, a, kTime, picture1));                   // announced twice, shown once
    EXPECT_FALSE(Insert(1, b, kTime, home.File("Img/none.png"))); // no such post
    EXPECT_FALSE(Insert(12, a, kTime, home.File("Img/none.png")));
    view.ResetView();
    view.AddNextLink();
    view.AddPrevLink();

    const QString expected =
        LinkElement(kPrevPageSentinelUrl, QStringLiteral("上一页")) + kTop +
        Element(RedHeader(10, a, kTime) + PictureElement(picture10)) +
        Element(QStringLiteral("第一行<br>第二行")) + Element(PlainHeader(11, b, kTime)) +
        Element(QStringLiteral("普通")) +
        Element(PlainHeader(1, a, kTime) + PictureElement(picture1)) +
        Element(
            QStringLiteral("加&lt;b&gt;粗&lt;/b&gt;&amp;amp; &lt;script&gt;x()&lt;/script&gt;")) +
        Element(PlainHeader(1, a, kTime)) + Element(QStringLiteral("同一个帖子又出现一次")) +
        Element(PlainHeader(2, QStringLiteral("&lt;i&gt;名&lt;/i&gt;"), kTime)) +
        Element(QStringLiteral("名字里的标记也只是文字")) +
        LinkElement(kNextPageSentinelUrl, QStringLiteral("下一页"));
    EXPECT_EQ(Body(), expected);
    // Only the two links are links.
    EXPECT_EQ(Eval(QStringLiteral("document.links.length")).toInt(), 2);
    EXPECT_EQ(Eval(QStringLiteral("document.getElementsByTagName('b').length")).toInt(), 0);
}

TEST_F(ShowCtlTest, LinksAppearOncePerReset) {
    view.AddNextLink();
    view.AddNextLink();
    view.AddPrevLink();
    view.AddPrevLink();
    const QString next = LinkElement(kNextPageSentinelUrl, QStringLiteral("下一页"));
    const QString prev = LinkElement(kPrevPageSentinelUrl, QStringLiteral("上一页"));
    EXPECT_EQ(Body(), prev + kTop + next);
    view.ResetView();
    EXPECT_FALSE(view.NextLinkAdded());
    view.AddNextLink();
    EXPECT_EQ(Body(), prev + kTop + next + next);
}

TEST_F(ShowCtlTest, PreviousLinkOnAnEmptyBodyIsAppended) {
    Eval(QStringLiteral("document.body.textContent = ''"));
    view.AddPrevLink();
    EXPECT_EQ(Body(), LinkElement(kPrevPageSentinelUrl, QStringLiteral("上一页")));
    EXPECT_TRUE(Ready()); // an element first; a text node first is not ready
    Eval(QStringLiteral(
        "document.body.insertBefore(document.createTextNode('x'), document.body.firstChild)"));
    EXPECT_FALSE(Ready());
}

TEST_F(ShowCtlTest, ANewScreenStartsFromABlankDocument) {
    view.AppendPost({1, QStringLiteral("甲"), kTime, QStringLiteral("旧"), {}});
    view.AddNextLink();
    Eval(QStringLiteral("1"));
    view.ResetView();
    Load();
    EXPECT_EQ(Body(), kTop);
}

TEST_F(ShowCtlTest, PicturesFromTheHomeAreShown) {
    QDir().mkpath(home.File("Img"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(home.File("Img/7 #1.png")));
    view.AppendPost({3, QStringLiteral("甲"), kTime, QStringLiteral("有图"), {}});
    ASSERT_TRUE(Insert(3, QStringLiteral("甲"), kTime, home.File("Img/7 #1.png")));
    EXPECT_TRUE(SpinUntil([&] {
        return Eval(QStringLiteral("(function(){var i=document.images[0];"
                                   "return !!(i && i.complete && i.naturalWidth==40);})()"))
            .toBool();
    }));
}

TEST_F(ShowCtlTest, ClickingALinkOpensNoWindowButNamesTheSentinel) {
    QString requested;
    QObject::connect(&view, &CShowCtl::NewWindowRequested,
                     [&](const QString& href) { requested = href; });
    view.AddNextLink();
    // Where the link is on the screen, then a real click on it.
    const QVariantList box =
        Eval(QStringLiteral("(function(){var r=document.links[0].getBoundingClientRect();"
                            "return [r.left+r.width/2, r.top+r.height/2];})()"))
            .toList();
    ASSERT_EQ(box.size(), 2);
    const QPoint point(box[0].toInt(), box[1].toInt());
    QWidget* target = view.focusProxy() ? view.focusProxy() : &view;
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, point, view.mapToGlobal(point), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    ASSERT_TRUE(SpinUntil([&] { return !requested.isEmpty(); }, 10000));
    EXPECT_TRUE(IsNextLinkAddress(requested)) << requested.toStdString();
    EXPECT_EQ(Eval(QStringLiteral("location.protocol")).toString(), QStringLiteral("file:"));
}

} // namespace

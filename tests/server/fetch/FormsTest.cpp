#include "server/fetch/forms/LivePage.h"
#include "server/fetch/forms/LoginForm.h"
#include "server/fetch/forms/ReplyForm.h"
#include "server/fetch/forms/VerificationPicture.h"
#include "server/fetch/forms/VersionTable.h"
#include "server/parse/PageDocumentBuilder.h"

#include <gtest/gtest.h>

// Readable failure output for texts and lists of texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << text.toStdString();
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << list.join(" | ").toStdString();
}
QT_END_NAMESPACE

namespace {

// Records what form code asks of a live page; answers as told.
class RecordingPage : public LivePage {
public:
    bool SetValue(const QString& selector, const QString& value) override {
        calls.append("value " + selector + "=" + value);
        return true;
    }
    bool SetChecked(const QString& selector, bool checked) override {
        calls.append("checked " + selector + (checked ? "=1" : "=0"));
        return true;
    }
    bool Click(const QString& selector) override {
        calls.append("click " + selector);
        return true;
    }
    bool FireOnClick(const QString& selector) override {
        calls.append("onclick " + selector);
        return true;
    }
    bool ElementSize(const QString&, int* w, int* h) override {
        *w = width;
        *h = height;
        return true;
    }
    bool RenderElement(const QString& selector, int w, int h, QByteArray* out) override {
        calls.append("render " + selector);
        *out = QByteArray(qsizetype(w) * h * 4, blank ? '\0' : '\x7f');
        return true;
    }
    DocumentPtr Snapshot() override { return nullptr; }

    QStringList calls;
    int width = 60;
    int height = 30;
    bool blank = false;
};

DocumentPtr Page(const QString& body) {
    return ParseSnapshotDocument("<html><head></head><body>" + body + "</body></html>",
                                 "http://passport.forum.cn/login");
}

const QString kLoginFields =
    "<form id=\"loginForm\"><input id=\"userName\" type=\"text\">"
    "<input id=\"password\" type=\"password\"><input id=\"rmflag\" type=\"checkbox\" checked>"
    "<input type=\"button\" value=\"登录\"><a href=\"#\">换一张</a></form>";

WebpageInfo LoginRequest(const QString& code, const std::shared_ptr<RecordingPage>& page) {
    WebpageInfo request;
    request.task.type = TaskLogin;
    request.task.SetLogin("reader", "secret", code);
    request.Live = page;
    return request;
}

class FormsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearVerificationPicture(); }
};

TEST_F(FormsTest, LoginPayloadKeepsItsSlots) {
    PageTask task;
    task.SetLogin(QString(40, 'u'), "pw", "123456789");
    EXPECT_EQ(task.LoginUserName(), QString(32, 'u'));
    EXPECT_EQ(task.LoginPassword(), "pw");
    EXPECT_EQ(task.LoginCode(), "12345678");
    EXPECT_EQ(task.PayloadNumber(0), 0);
}

TEST_F(FormsTest, FindLoginFormNeedsTheFourRequiredElements) {
    LoginFormElements form;
    EXPECT_TRUE(FindLoginForm(Page(kLoginFields), &form));
    EXPECT_FALSE(form.verificationCode);
    EXPECT_TRUE(form.anotherPictureLink);

    QString withoutButton = kLoginFields;
    withoutButton.replace("value=\"登录\"", "value=\"注册\"");
    EXPECT_FALSE(FindLoginForm(Page(withoutButton), &form));
    QString buttonOutsideForm = kLoginFields;
    buttonOutsideForm.replace("<input type=\"button\" value=\"登录\">", "");
    EXPECT_FALSE(
        FindLoginForm(Page(buttonOutsideForm + "<input type=\"button\" value=\"登录\">"), &form));
    EXPECT_FALSE(FindLoginForm(nullptr, &form));
}

TEST_F(FormsTest, SubmitLoginFillsUnticksAndClicks) {
    struct Case {
        const char* name;
        bool codeField;
        QString code;
        QString expectedCode; // empty: the field is not filled
    };
    const Case cases[] = {
        {"no code field", false, "ZZ", ""},
        {"code given", true, "7K3P", "7K3P"},
        {"empty code", true, "", "ABCD"},
    };
    for (const Case& c : cases) {
        QString html = kLoginFields;
        if (c.codeField)
            html.replace(
                "</form>",
                "<input id=\"vc\" type=\"text\"><img id=\"imgCode\" src=\"/code.png\"></form>");
        LoginFormElements form;
        const DocumentPtr document = Page(html); // the form's elements live in it
        ASSERT_TRUE(FindLoginForm(document, &form)) << c.name;
        auto page = std::make_shared<RecordingPage>();
        EXPECT_TRUE(SubmitLogin(LoginRequest(c.code, page), form)) << c.name;
        QStringList expected = {"value [id=\"userName\"]=reader", "value [id=\"password\"]=secret"};
        if (!c.expectedCode.isEmpty())
            expected.append("value [id=\"vc\"]=" + c.expectedCode);
        expected.append("checked [id=\"rmflag\"]=0");
        expected.append("click [id=\"loginForm\"] input[value=\"登录\"]");
        EXPECT_EQ(page->calls, expected) << c.name;
    }
}

TEST_F(FormsTest, LoginAnswerAndVerificationPicture) {
    struct Case {
        const char* name;
        QString body;
        int width;
        bool blank;
        bool result;
        QString message;
        int repoll;
        int pictureLength;
    };
    const QString picture = "<img id=\"imgCode\" src=\"/code.png\">";
    const Case cases[] = {
        {"no errMsg", "<p>other</p>", 60, false, false, "解析网页失败导致登录失败！", 0, 0},
        {"answer without picture", "<div id=\"errMsg\">密码错误</div>", 60, false, true, "密码错误",
         0, 0},
        {"answer with picture", "<div id=\"errMsg\">验证码错误</div>" + picture, 60, false, true,
         "验证码错误", 0, 60 * 30 * 4},
        {"picture not loaded yet", "<div id=\"errMsg\">验证码错误</div>" + picture, 60, true, true,
         "", 2, 0},
        {"picture too large (120x120)", "<div id=\"errMsg\">验证码错误</div>" + picture, 120, false,
         true, "", 2, 0},
    };
    for (const Case& c : cases) {
        auto page = std::make_shared<RecordingPage>();
        page->width = c.width;
        page->height = c.width == 120 ? 120 : 30;
        page->blank = c.blank;
        WebpageInfo request = LoginRequest("", page);
        request.RepollSeconds = 5;
        QString message = "stale";
        bool busy = false;
        EXPECT_EQ(ReadLoginAnswer(request, Page(c.body), &message, &busy), c.result) << c.name;
        EXPECT_EQ(message, c.message) << c.name;
        if (c.result) {
            EXPECT_TRUE(busy) << c.name;
            EXPECT_EQ(request.RepollSeconds, c.body.contains("imgCode") ? c.repoll : 5) << c.name;
        }
        const VerificationPicture drawn = CurrentVerificationPicture();
        EXPECT_EQ(drawn.length, c.pictureLength) << c.name;
        EXPECT_EQ(drawn.bits.size(), kVerificationPictureBufferSize);
        EXPECT_EQ(page->calls.filter("render").size(),
                  c.width == 120 || !c.body.contains("imgCode") ? 0 : 1)
            << c.name << ": an oversized picture is never drawn";
    }
}

TEST_F(FormsTest, PostReplyNeedsBoxAndSubmitButton) {
    const QString box = "<textarea id=\"adsp_content_replybox_area\"></textarea>";
    const QString submit = "<input id=\"submit2\" type=\"button\" value=\"发表\">";
    struct Case {
        const char* name;
        QString body;
        bool result;
        QStringList calls;
    };
    const QString fill = "value [id=\"adsp_content_replybox_area\"]=顶一下";
    const Case cases[] = {
        {"both", box + submit, true, {fill, "onclick [id=\"submit2\"]"}},
        {"no submit2", box, false, {fill}},
        {"no box", submit, false, {}},
        {"box is not a text area",
         "<div id=\"adsp_content_replybox_area\"></div>" + submit,
         false,
         {}},
    };
    for (const Case& c : cases) {
        auto page = std::make_shared<RecordingPage>();
        WebpageInfo request;
        request.task.type = TaskReply;
        request.task.SetReplyText("顶一下");
        request.Live = page;
        EXPECT_EQ(PostReply(request, Page(c.body)), c.result) << c.name;
        EXPECT_EQ(page->calls, c.calls) << c.name;
    }
}

TEST_F(FormsTest, VersionTableRowsAndRanges) {
    const QString table = "<table id=\"SoftVerUpdate\">"
                          "<tr><td>1.0</td><td>1.5</td><td>1.6</td><td>2012-01-01</td><td>旧版</td>"
                          "<td><a href=\"http://maker.cn/a.zip\">a</a><a "
                          "href=\"http://maker.cn/b.zip\">b</a></td></tr>\n"
                          "<tr><td>only</td><td>three</td><td>cells</td></tr>\n"
                          "<tr><td>1.6</td><td>2.0</td><td>2.1</td><td>2013-02-02</td><td>新版</td>"
                          "<td><a href=\"/1\">1</a><a href=\"/2\">2</a><a href=\"/3\">3</a><a "
                          "href=\"/4\">4</a></td></tr>"
                          "</table>";
    QList<VersionRow> rows;
    ASSERT_TRUE(ReadVersionTable(Page(table), &rows));
    ASSERT_EQ(rows.size(), 2) << "a row with fewer than six cells is skipped";
    EXPECT_EQ(rows[0].cells[4], "旧版");
    EXPECT_EQ(rows[0].links[1], "http://maker.cn/b.zip");
    EXPECT_EQ(rows[0].links[2], "");
    EXPECT_EQ(rows[1].links[2], "http://passport.forum.cn/3");

    struct Case {
        const char* version;
        bool found;
        const char* row;
    };
    const Case cases[] = {{"1.8", true, "1.6"}, {"1.0", true, "1.0"}, {"1.5", true, "1.0"},
                          {"2.0", true, "1.6"}, {"2.01", false, ""},  {"0.9", false, ""}};
    for (const Case& c : cases) {
        VersionRow row;
        EXPECT_EQ(FindUpdate(rows, c.version, &row), c.found) << c.version;
        if (c.found) {
            EXPECT_EQ(row.cells[0], c.row) << c.version;
        }
    }

    EXPECT_FALSE(ReadVersionTable(Page("<table id=\"Other\"></table>"), &rows));
    EXPECT_TRUE(rows.isEmpty());
}

TEST_F(FormsTest, LoggedInIsTheTopNavigation) {
    EXPECT_TRUE(IsLoggedIn(Page("<div id=\"top_nav_set\"></div>")));
    EXPECT_FALSE(IsLoggedIn(Page("<div id=\"top_nav\"></div>")));
    EXPECT_FALSE(IsLoggedIn(nullptr));
}

} // namespace

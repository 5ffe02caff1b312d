#include "server/parse/PageDocumentBuilder.h"
#include "server/parse/TextDecoding.h"

#include <QStringEncoder>
#include <gtest/gtest.h>
#include <thread>

namespace {

QByteArray Gb18030(const QString& text) {
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

TEST(DeclaresUtf8, Rule) {
    struct Case {
        const char* text;
        bool expected;
    } cases[] = {
        {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
         "charset=utf-8\"></head>",
         true},
        {"<html><head><meta charset=\"utf-8\"></head>", true},
        {"<html><head></head><body>charset=utf-8 <meta></body>", false}, // after </head>
        {"<html><head><meta charset=utf-8>", false},                     // no </head>
        {"<html><head><meta charset=UTF-8></head>", false},              // case-sensitive
        {"<html><head><link charset=utf-8></head>", false},              // not a meta tag
        {"charset=utf-8<meta></head>", false},                           // nothing before it
        {"<meta charset=utf-8></head>", false},                          // "<" at position 0
        {"x<meta charset=utf-8></head>", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeclaresUtf8(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(DecodePageText, GbkUnlessUtf8Declared) {
    const QString words = QStringLiteral("天涯社区 作者：张三");
    const QByteArray gbk =
        Gb18030("<html><head><title>t</title></head><body>" + words + "</body></html>");
    EXPECT_TRUE(DecodePageText(gbk).contains(words));

    const QByteArray utf8 =
        ("<html><head><meta charset=\"utf-8\"></head><body>" + words + "</body></html>").toUtf8();
    EXPECT_TRUE(DecodePageText(utf8).contains(words));

    // The unquoted form anywhere decides before the quoted one, even when it is in the body.
    const QByteArray both = ("<html><head><meta charset=\"utf-8\"></head><body>charset=utf-8 " +
                             words + "</body></html>")
                                .toUtf8();
    EXPECT_FALSE(DecodePageText(both).contains(words));
    EXPECT_FALSE(DeclaresUtf8(QString::fromUtf8(both)));

    // The declaration in the body does not count: the UTF-8 bytes are read as GB18030.
    const QByteArray late =
        ("<html><head></head><body><meta charset=utf-8>" + words + "</body></html>").toUtf8();
    EXPECT_FALSE(DecodePageText(late).contains(words));
}

TEST(DecodeGb18030, IconvFallbackAgreesAndSurvivesBadBytes) {
    const QString words = QStringLiteral("天涯社区：作者 2012-1-5 €𠀀 abc");
    const QByteArray bytes = Gb18030(words);
    EXPECT_EQ(DecodeGb18030(bytes), words);
    EXPECT_EQ(DecodeGb18030WithIconv(bytes), words);
    // A lead byte without its trail, inside and at the end, costs a replacement, not the rest.
    const QString broken = DecodeGb18030WithIconv("ab\xff" + bytes + "\xc4");
    EXPECT_TRUE(broken.contains(words));
    EXPECT_TRUE(broken.startsWith("ab"));
}

TEST(CutPageBody, Rule) {
    QString body;
    EXPECT_TRUE(CutPageBody("<html><body class=\"x\">in<b>side</b></body></html>", &body));
    EXPECT_EQ(body, "in<b>side</b>");
    EXPECT_TRUE(CutPageBody("<body></body>", &body));
    EXPECT_EQ(body, "");
    for (const char* bad : {"<html><BODY>x</BODY></html>", "<html><body>x</html>",
                            "<html>x</body></html>", "<body", ""})
        EXPECT_FALSE(CutPageBody(QString::fromUtf8(bad), &body)) << bad;
}

TEST(BuildPageDocument, ContentReplacesShellBody) {
    const QString shell =
        "<!DOCTYPE html><html><head><title>S</title></head><body><p id=old>old</p></body></html>";
    DocumentPtr doc = BuildPageDocument(shell, "<div id=n>new</div>", "http://h.test/p-1.shtml",
                                        "file:///home/Show.html");
    ASSERT_NE(doc->Body(), nullptr);
    EXPECT_EQ(doc->ElementById("old"), nullptr);
    EXPECT_EQ(doc->InnerText(doc->ElementById("n")), "new");
    EXPECT_EQ(doc->DocumentUrl(), "file:///home/Show.html");
    EXPECT_EQ(doc->BaseAddress(), "http://h.test/p-1.shtml");
}

TEST(ParseSnapshotDocument, AddressIsPageAddress) {
    DocumentPtr doc = ParseSnapshotDocument(
        "<html><body><a id=a href=\"x.html\">x</a></body></html>", "https://h.test/d/page.html");
    EXPECT_EQ(doc->DocumentUrl(), "https://h.test/d/page.html");
    EXPECT_EQ(doc->ResolvedHref(doc->ElementById("a")), "https://h.test/d/x.html");
}

// Hostile input: every case must come back with a document, quickly and without crashing,
// also on a worker thread whose stack is smaller than the main thread's.
TEST(BuildPageDocument, HostileInputNeverCrashes) {
    QString nested;
    while (nested.size() < 2 * 1024 * 1024)
        nested += "<table><tr><td><div>";
    QString huge;
    while (huge.size() < 2 * 1024 * 1024)
        huge += "<div class=\"post\">一段文字 <b>bold</b></div>\n";
    QByteArray garbage(300000, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 256);
    const QString broken =
        "<div <<>>><table></div></td></tr><p><<a href=\"<img src=\"\"'>\"</script>&#xFFFFFFF;&;";

    // Nesting that deep is refused before parsing; everything else gives a document.
    EXPECT_EQ(BuildPageDocument("<html><head></head><body></body></html>", nested, "http://h.test/",
                                "file:///Show.html"),
              nullptr);
    for (const QString& body : {huge, DecodePageText(garbage), broken}) {
        DocumentPtr doc;
        std::thread worker([&] {
            doc = BuildPageDocument("<html><head></head><body></body></html>", body,
                                    "http://h.test/", "file:///Show.html");
            if (doc) {
                doc->InnerText(doc->Body());
                doc->OuterHtml(doc->Body());
            }
        });
        worker.join();
        ASSERT_NE(doc, nullptr);
        EXPECT_NE(doc->Body(), nullptr);
    }
}

} // namespace

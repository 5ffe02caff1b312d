// The reading window on a sample thread, for looking at it:
//   QuillmereReadingPreview OUT.png [highlight|filter|people]
// The home comes from $QUILLMERE_HOME (a throw-away one: a thread database is written into
// it). The screen is grabbed once the posts and pictures are drawn.
#include "common/ProgramDirectory.h"
#include "reader/view/CSetSomeBodyDlg.h"
#include "reader/view/CShowContent.h"
#include "reader/view/CShowCtl.h"
#include "store/ThreadDatabase.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

const QString kStarter = QStringLiteral("江南听雨人");

QByteArray PicturePng(const QString& text, QColor colour) {
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 480, 300);
    gradient.setColorAt(0, colour);
    gradient.setColorAt(1, colour.darker(250));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 28));
    painter.drawText(image.rect(), Qt::AlignCenter, text);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QList<ThreadPost> SamplePage(int page) {
    const QString story = QStringLiteral(
        "　　那年冬天，我第一次跟着外公去镇上的茶馆。茶馆开在河边，木头的窗子推开就是水，"
        "船从窗下过去，摇橹的声音一下一下的，像是有人在慢慢地数着日子。外公要一壶龙井，"
        "又给我要了一碟桂花糕，然后就不说话了，只是看着河面。\n"
        "　　后来我才知道，他年轻的时候就在这条河上撑船。");
    const QStringList others = {QStringLiteral("路过的猫"), QStringLiteral("老树新芽"),
                                QStringLiteral("<b>不是粗体</b>")};
    QList<ThreadPost> posts;
    for (int n = 0; n < 4; ++n) {
        const bool starter = n % 2 == 0;
        posts.append({page, starter ? kStarter : others[(page + n) % others.size()],
                      QStringLiteral("2012-11-%1 21:%2:08")
                          .arg(page % 28 + 1, 2, 10, QChar(u'0'))
                          .arg(10 + n),
                      starter ? story : QStringLiteral("沙发！楼主写得真好，<i>坐等</i>更新。")});
    }
    return posts;
}

// The rest of the reader, played by a thread database and a fixed screen.
class PreviewLink : public ReadingWindowLink {
public:
    PreviewLink(QString db, bool highlight) : db_(std::move(db)), highlight_(highlight) {}
    CShowContent* window = nullptr;

    void QueueSmall(const SmallMessage&) override {}
    void ReloadList(int, int) override {}
    int RequestReadOperation(ReadingObserver*, int operation, int) override {
        QTimer::singleShot(10, [this, operation] { window->OnOperationDone(operation, 1); });
        return 1;
    }
    bool GetScreen(ShownScreen& screen) override {
        screen = {};
        for (int page = 37; page <= 39; ++page)
            for (const ThreadPost& post : SamplePage(page)) {
                const bool starter = post.author == kStarter;
                if (highlight_)
                    screen.posts.append(ShownPostOf(post, starter ? "#FF0000" : "#808080"));
                else if (starter)
                    screen.posts.append(ShownPostOf(post));
            }
        screen.previousPage = 36;
        screen.nextPage = 40;
        screen.startPage = 37;
        screen.endPage = 39;
        return true;
    }
    bool GetPageState(QList<int>& stored, int& start, int& end) override {
        return ListStoredPages(db_, stored) && (start = 37, end = 39, true);
    }
    int ModelViewMode() override { return highlight_ ? 1 : 0; }
    void SetModelViewMode(int) override {}
    void QueueReply(const QString&) override {}
    bool IsLoggedIn() override { return true; }
    void RunLogin(QWidget*) override {}
    bool RunListDialog(QWidget*, int, const QString&, const QString&, int) override {
        return false;
    }
    void LowerHelpTip(const QString&) override {}
    void OpenAddress(const QString&) override {}
    bool PickRecommendation(SideRecommendation&) override { return false; }
    void CloseRequested() override {}

private:
    QString db_;
    bool highlight_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    const bool highlight = argc < 3 || QByteArray(argv[2]) != "filter";
    if (!InitProgramDirectory(argc, argv))
        return 1;

    QString db;
    if (!CreateThreadDatabase(db))
        return 1;
    for (int page = 1; page <= 450; ++page)
        if (page <= 60 || page > 300 || page % 7 == 0)
            SavePage(db, SamplePage(page), page, QStringLiteral("http://bbs.test/%1").arg(page));
    const ThreadPost first = SamplePage(37).first();
    const QString address = QStringLiteral("http://img.test/river.png");
    SaveImageInfo(db, {{37, first.author, first.time, 0, address}});
    SaveImageData(db, {{37, first.author, first.time, 0, address}});
    WriteImageData(db, address, PicturePng(QStringLiteral("河边的茶馆"), QColor(70, 120, 160)));

    if (QByteArray(argv[2 < argc ? 2 : 1]) == "people") {
        // The list dialog of "高亮某些人" over a thread with two chosen people.
        SaveSomeBodyList(db, {kStarter, QStringLiteral("老树新芽")}, 2);
        CSetSomeBodyDlg dialog(3, db, kStarter, 1, nullptr);
        dialog.move(40, 40);
        dialog.show();
        QTimer::singleShot(1500, [&] {
            const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(out);
            QCoreApplication::exit(saved ? 0 : 1);
        });
        return app.exec();
    }

    PreviewLink link(db, highlight);
    ReadingWindowSetup setup{
        1, QStringLiteral("【原创】外公的茶馆（连载中）"), db, kStarter, 450, true, true};
    CShowContent window(setup, &link);
    link.window = &window;
    window.SetUserName(QStringLiteral("读者小王"));
    window.move(0, 0);
    window.show();
    window.Open();
    window.Button(1029)->click(); // the reply panel, small
    QObject::connect(&window, &CShowContent::ScreenRendered, [&] {
        // Down to where the second and third posts show how the mode marks them.
        window.PostView()->RunScript(QStringLiteral("window.scrollTo(0, 380)"));
        QTimer::singleShot(1500, [&] {
            const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(out);
            QCoreApplication::exit(saved ? 0 : 1);
        });
    });
    return app.exec();
}

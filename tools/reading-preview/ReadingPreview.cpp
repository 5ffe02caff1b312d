// A sample screen in the post view and the page state strip, for looking at them:
//   QuillmereReadingPreview OUT.png [highlight|filter]
// The home comes from $QUILLMERE_HOME. The screen is grabbed once everything is drawn.
#include "common/ProgramDirectory.h"
#include "reader/view/CShowCtl.h"
#include "reader/view/CStateDlg.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString MakePicture(const QString& name, QColor colour) {
    const QString dir = ProgramDirectory() + QStringLiteral("Img/");
    QDir().mkpath(dir);
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 480, 300);
    gradient.setColorAt(0, colour);
    gradient.setColorAt(1, colour.darker(250));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(Qt::white);
    painter.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 28));
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("图片 %1").arg(name));
    painter.end();
    const QString path = dir + name + QStringLiteral(".png");
    image.save(path);
    return path;
}

ShownPosts SamplePosts(bool highlight) {
    const QString starter = QStringLiteral("江南听雨人");
    const QString paragraph = QStringLiteral(
        "　　那年冬天，我第一次跟着外公去镇上的茶馆。茶馆开在河边，木头的窗子推开就是水，"
        "船从窗下过去，摇橹的声音一下一下的，像是有人在慢慢地数着日子。外公要一壶龙井，"
        "又给我要了一碟桂花糕，然后就不说话了，只是看着河面。");
    ShownPosts posts;
    const QString time = QStringLiteral("2012-11-0%1 21:%2:08");
    const QStringList others = {QStringLiteral("路过的猫"), QStringLiteral("老树新芽"),
                                QStringLiteral("<b>不是粗体</b>")};
    int minute = 10;
    for (int i = 0; i < 6; ++i) {
        const bool byStarter = i % 2 == 0;
        if (!highlight && !byStarter)
            continue;
        ShownPost post;
        post.pageNo = 37 + i / 3;
        post.author = byStarter ? starter : others[(i / 2) % others.size()];
        post.time = time.arg(3 + i / 3).arg(minute++);
        post.content = byStarter ? paragraph + QStringLiteral("\n") + paragraph
                                 : QStringLiteral("沙发！楼主写得真好，<i>坐等</i>更新。");
        if (highlight)
            post.colour = byStarter ? QStringLiteral("#FF0000") : QStringLiteral("#808080");
        posts.append(post);
    }
    return posts;
}

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

    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillmere 预览"));
    auto* view = new CShowCtl(&window);
    auto* strip = new CStateDlg(1, nullptr, &window);
    auto* side = new QVBoxLayout;
    side->addSpacing(90);
    side->addWidget(strip);
    side->addStretch(1);
    auto* layout = new QHBoxLayout(&window);
    layout->addWidget(view, 1);
    layout->addLayout(side);
    window.resize(900, 670);
    window.show();

    QList<int> stored;
    for (int p = 1; p <= 450; ++p)
        if (p <= 60 || p > 300 || p % 7 == 0)
            stored.append(p);
    strip->RefreshForScreen(stored, 37, 38);

    const ShownPosts posts = SamplePosts(highlight);
    QObject::connect(view, &CShowCtl::DocumentLoaded, [&](bool) {
        view->AppendPosts(posts);
        view->InsertPicture(
            {37, posts[0].author, posts[0].time, 0, MakePicture("a", QColor(70, 120, 160))});
        view->ResetView();
        view->AddNextLink();
        view->AddPrevLink();
        view->RunScript(QStringLiteral("1"), [&](const QVariant&) {
            QTimer::singleShot(1500, [&] {
                QScreen* screen = QGuiApplication::primaryScreen();
                const bool saved = screen->grabWindow(0).save(out);
                QCoreApplication::exit(saved ? 0 : 1);
            });
        });
    });
    view->NavigateToShow();
    return app.exec();
}

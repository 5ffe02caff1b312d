// Shows the export and update windows in a real window system and saves a picture of each
// into the folder given as the first argument (run by tools/screenshot-export.sh).
#include "reader/CSelExportPageRangeDlg.h"
#include "reader/ExportMenuCommands.h"
#include "tests/export/ExportTestSupport.h"
#include "tools/updater/CUpdateSoftDlg.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QRadioButton>
#include <QTcpServer>
#include <QTimer>
#include <QVBoxLayout>

namespace {

void Save(QWidget* widget, const QString& folder, const char* name) {
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    widget->window()->grab().save(path);
    std::printf("%s\n", path.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);
    ExportHome home;
    QList<ThreadPost> posts;
    // Long enough that writing it takes a moment and the progress window shows.
    const QString text =
        QStringLiteral("春眠不觉晓，处处闻啼鸟。\n夜来风雨声，花落知多少。").repeated(20);
    for (int page = 1; page <= 600; ++page)
        for (int i = 0; i < 100; ++i)
            posts.append(ThreadPost{page, i % 2 ? QStringLiteral("路人") : QStringLiteral("楼主甲"),
                                    QStringLiteral("2020-01-01 10:%1:%2")
                                        .arg(i / 60, 2, 10, QLatin1Char('0'))
                                        .arg(i % 60, 2, 10, QLatin1Char('0')),
                                    text});
    const int n =
        home.Follow(QStringLiteral("一个很长的帖子：春眠不觉晓"), QStringLiteral("楼主甲"), posts);

    QWidget list;
    list.setWindowTitle(QStringLiteral("Quillmere"));
    list.resize(720, 480);
    auto* layout = new QVBoxLayout(&list);
    layout->addWidget(new QLabel(QStringLiteral("关注列表（导出演示）"), &list));
    list.show();

    // The range dialog with the chosen-people radio selected.
    CSelExportPageRangeDlg range(
        home.Record(n), [](int, QWidget*, const QString&, const QString&) { return 1; }, {}, &list);
    range.show();
    range.ChosenRadio()->click();
    Save(&range, folder, "export-range.png");
    range.close();

    // The progress window while the long thread is written; the notice at the end.
    bool progressSaved = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = list.findChild<QProgressDialog*>();
        if (!progressSaved && progress && progress->isVisible() && progress->value() > 0) {
            Save(progress, folder, "export-progress.png");
            progressSaved = true;
        }
    });
    poll.start();
    ExportUiSeams seams;
    seams.chooseFolder = [&home](QWidget*) { return home.Folder(); };
    seams.chooseRange = [](QWidget*, const FollowRecord&) {
        return std::optional<ExportRange>(ExportRange{});
    };
    seams.showMessage = [](int, QWidget*, const QString& text, const QString&) {
        std::printf("notice: %s\n", text.toUtf8().constData());
        return 1;
    };
    OnExportText(&list, ExportKind::Html, {home.Record(n)}, seams);
    poll.stop();
    if (!progressSaved)
        std::printf("the progress window did not show\n");

    // The updater's window while it waits for its first address: a local port that takes the
    // connection and never answers.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost);
    UpdateDescription description;
    description.softName = QStringLiteral("Quillmere");
    description.addresses = {
        QStringLiteral("http://127.0.0.1:%1/Quillmere/Update/Quillmere-0.95.tar.gz")
            .arg(silent.serverPort())};
    description.savePath = QDir(home.Folder()).filePath(QStringLiteral("Quillmere"));
    description.maxBytes = kDefaultMaxUpdateBytes;
    CUpdateSoftDlg updater(description, DownloadLimits{},
                           [](QWidget*, const QString&, const QString&) {});
    updater.show();
    QTimer::singleShot(300, [&] {
        Save(&updater, folder, "updater.png");
        updater.close();
    });
    updater.Start();
    updater.exec();
    return 0;
}

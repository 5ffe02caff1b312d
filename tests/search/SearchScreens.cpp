// Shows the search panel in a real window system on a home with a few stored threads, runs a
// search and saves a picture into the folder given as the first argument (run by
// tools/screenshot-search.sh).
#include "reader/search/CSearchPanel.h"
#include "skin/SkinSettings.h"
#include "store/CatalogueFile.h"
#include "tests/search/SearchTestSupport.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitSkin(QString());
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);
    TempHome home;
    EnsureCatalogueFile();
    const char* lines[] = {
        "那年我在县城的老街上开了一家小店，卖的是南方运来的橘子。",
        "楼主写得真好，想起了小时候在外婆家过年的事。",
        "后来工厂关了，大家各奔东西，老街也拆了一半。",
        "有人问我 iPhone 能不能看这个帖子，当然可以。",
        "火车站旁边那家面馆还在吗？二十年前常去。",
        "楼主更新了！今天讲到老街的那场大火。",
    };
    for (int t = 0; t < 3; ++t) {
        QList<ThreadPost> posts;
        for (int i = 0; i < 60; ++i)
            posts.append(ThreadPost{1 + i / 10,
                                    i % 3 ? QStringLiteral("江南听雨") : QStringLiteral("山野客"),
                                    QStringLiteral("20%1-0%2-1%3 2%4:1%5:00")
                                        .arg(18 + t)
                                        .arg(1 + i % 9)
                                        .arg(i % 10)
                                        .arg(i % 4)
                                        .arg(i % 10),
                                    QString::fromUtf8(lines[(i + t) % 6])});
        FollowStoredThread(QStringList{QStringLiteral("【连载】我在县城的那些年"),
                                       QStringLiteral("【原创】老街往事，慢慢讲给你们听"),
                                       QStringLiteral("火车站见闻录")}[t],
                           posts, false);
    }
    CSearchPanel panel;
    panel.setWindowTitle(QStringLiteral("我的关注 — 搜索"));
    panel.resize(1100, 520);
    panel.show();
    QEventLoop wait;
    QObject::connect(&panel, &CSearchPanel::Synchronised, &wait, &QEventLoop::quit);
    QTimer::singleShot(20000, &wait, &QEventLoop::quit);
    wait.exec();
    panel.WordsBox()->setText(QStringLiteral("老街"));
    QObject::connect(&panel, &CSearchPanel::ResultsShown, &wait, &QEventLoop::quit);
    panel.StartSearch();
    wait.exec();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QStringLiteral("search-panel.png"));
    panel.grab().save(path);
    std::printf("%s\n", path.toLocal8Bit().constData());
    return 0;
}

// Shows the reader's main window on each tab and each dialog, against a running server and
// the sample forum whose hosts are in the home's settings, and captures the screen around
// each into DIR/reader-<name>.png. Questions are answered "否" and notices taken, so nothing
// waits for a user.
//   ReaderShots --home HOME --screenshots DIR
#include "common/ProcessTree.h"
#include "common/ProgramDirectory.h"
#include "common/Settings.h"
#include "reader/CAddFocusWebpageDlg.h"
#include "reader/CBrowserPage.h"
#include "reader/CExplorer1.h"
#include "reader/CLoginDlg.h"
#include "reader/CMainDlg.h"
#include "reader/CMsgBoxDlg.h"
#include "reader/CQuillmereDlg.h"
#include "reader/CTianyaFocusDlg.h"
#include "reader/FollowModels.h"
#include "reader/OpenInBrowser.h"
#include "reader/ReaderLook.h"
#include "reader/ReaderRuntime.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLauncher.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"
#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"
#include "reader/search/CSearchPanel.h"
#include "reader/view/CShowContent.h"
#include "skin/SkinSettings.h"
#include "store/CatalogueFile.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        Wait(50);
    }
    return true;
}

bool Capture(QWidget* window, const QString& path) {
    QScreen* screen = window->screen();
    if (!screen)
        return false;
    Wait(300);
    const QRect area =
        window->frameGeometry().adjusted(-12, -12, 12, 12).intersected(screen->geometry());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const bool saved = !shot.isNull() && shot.save(path, "PNG");
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

void ReportMemory(const char* name) {
    const qint64 self = QCoreApplication::applicationPid();
    qint64 helpers = 0;
    int count = 0;
    for (qint64 pid : DescendantProcesses(self)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains("QtWebEngineProcess")) {
            helpers += ProcessPssKb(pid);
            ++count;
        }
    }
    std::printf("memory %-14s reader %6.1f MB, %d web engine helpers %6.1f MB (PSS)\n", name,
                ProcessPssKb(self) / 1024.0, count, helpers / 1024.0);
}

// A verification picture like the forum's: four digits on a light noise.
QImage VerificationPicture() {
    QImage image(100, 30, QImage::Format_RGB32);
    image.fill(QColor(236, 242, 250));
    QPainter painter(&image);
    painter.setPen(QColor(40, 70, 140));
    QFont font;
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("4 7 1 9"));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (!InitProgramDirectory(argc, argv))
        return 1;
    // The channel and worker registry the reader's main holds; the server link needs them.
    ReaderRuntime runtime;
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--screenshots"));
    if (at < 0 || at + 1 >= args.size())
        return 2;
    const QString out = args[at + 1] + QStringLiteral("/reader-");
    InitSkin(QString());
    ReaderLook::Apply(app);
    EnsureDeliveredFiles();
    EnsureCatalogueFile();
    SetMessageSeam([](int kind, QWidget*, const QString&, const QString&) {
        return kind == MessageQuestion ? int(ResultNo) : int(ResultOk);
    });
    SetBrowserOpener([](const QString&) {});

    ServerLink link;
    int runs = 0;
    QObject::connect(&link, &ServerLink::serverRunning, [&] { ++runs; });
    link.Start([] { ServerLauncher::Start(); });
    ServerLauncher::Start();

    ReadingModelRegistry modelRegistry;
    ReadingWindowRegistry windowRegistry(modelRegistry, {});
    FollowModels models(modelRegistry);
    RegistryReadingWindows windows(modelRegistry, windowRegistry, link);
    CMainDlg window(&link, &models, &windows);
    window.Initialise();
    window.show();
    if (!WaitUntil([&] { return runs > 0; }, 30000))
        std::printf("the server did not start\n");

    const QString www = QStringLiteral("http://") + Hosts().forumWww;
    const QString bbs = QStringLiteral("http://") + Hosts().forumBbs;
    for (const QString& address :
         {www + QStringLiteral("/publicforum/content/free/1/1001-1.shtml"),
          www + QStringLiteral("/techforum/content/it/1/1007-1.shtml"),
          bbs + QStringLiteral("/post-photo-1003-1.shtml"),
          www + QStringLiteral("/publicforum/content/news/1/1004-1.shtml")})
        link.Follow(address, QLatin1Char('"') + address + QLatin1Char('"'));
    QTableWidget* follows = window.FollowList()->List();
    WaitUntil([&] { return follows->rowCount() >= 4; }, 60000);
    // While the pages come in, the progress column shows.
    window.SwitchTab(CMainDlg::TabFollows);
    Wait(300);
    Capture(&window, out + QStringLiteral("tab-follows-progress.png"));
    WaitUntil([&] { return window.FocusPage()->List()->rowCount() > 0; }, 60000);
    Wait(8000); // pages arrive and the list counts them
    if (follows->rowCount() > 0) {
        follows->selectRow(0);
        window.FollowList()->RunMenuCommand(CQuillmereDlg::CmdMakePermanent);
        follows->clearSelection();
        follows->selectRow(1);
    }

    const struct {
        int tab;
        const char* name;
    } tabs[] = {{CMainDlg::TabFollows, "tab-follows"},
                {CMainDlg::TabFocus, "tab-focus"},
                {CMainDlg::TabForum, "tab-forum"},
                {CMainDlg::TabDiscounts, "tab-discounts"},
                {CMainDlg::TabHelp, "tab-help"}};
    for (const auto& tab : tabs) {
        window.SwitchTab(tab.tab);
        if (auto* page = qobject_cast<CBrowserPage*>(window.Page(tab.tab))) {
            bool loaded = false;
            QObject::connect(page->Browser(), &QWebEngineView::loadFinished,
                             [&](bool) { loaded = true; });
            WaitUntil([&] { return loaded; }, 15000);
            Wait(1500);
        }
        Capture(&window, out + QString::fromLatin1(tab.name) + QStringLiteral(".png"));
        ReportMemory(tab.name);
    }
    window.SwitchTab(CMainDlg::TabFollows);

    // The follow list's menu over the window, its export commands among the others.
    QTimer::singleShot(500, [&] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            Capture(&window, out + QStringLiteral("follow-menu.png"));
            menu->close();
        }
    });
    emit follows->customContextMenuRequested(QPoint(220, 30));

    {
        // The search of the follow tab: results in place of the list.
        CSearchPanel* search = window.FollowList()->SearchPanel();
        WaitUntil([&] { return search->Idle(); }, 30000);
        search->WordsBox()->setText(QStringLiteral("的"));
        search->StartSearch();
        WaitUntil([&] { return search->Idle() && !search->Hits().isEmpty(); }, 30000);
        Capture(&window, out + QStringLiteral("tab-follows-search.png"));
        search->WordsBox()->clear();
    }
    if (follows->rowCount() > 0) {
        // A reading window in night colours.
        const int followNo = follows->item(0, CQuillmereDlg::ColNumber)->text().toInt();
        window.FollowList()->OpenReadingWindow(followNo, QString());
        auto* reading = dynamic_cast<CShowContent*>(windowRegistry.FindReadingWindow(followNo));
        if (reading) {
            reading->SetNightMode(true);
            WaitUntil([&] { return !reading->ShownPostList().isEmpty(); }, 15000);
            Wait(2500);
            Capture(reading, out + QStringLiteral("reading-night.png"));
            reading->SetNightMode(false);
            Wait(500);
            Capture(reading, out + QStringLiteral("reading-day.png"));
            windows.CloseAll();
        }
    }

    {
        CAddFocusWebpageDlg dialog(&link, &window);
        dialog.AddressEdit()->setText(www +
                                      QStringLiteral("/publicforum/content/free/1/1001-1.shtml"));
        dialog.show();
        Capture(&dialog, out + QStringLiteral("dialog-add-follow.png"));
        dialog.AddressEdit()->setEnabled(false);
        for (int i = 0; i < 3; ++i)
            dialog.Tick();
        Capture(&dialog, out + QStringLiteral("dialog-add-follow-waiting.png"));
    }
    {
        CLoginDlg dialog(&link, &window);
        dialog.UserEdit()->setText(QStringLiteral("demo"));
        dialog.PasswordEdit()->setText(QStringLiteral("demo123"));
        dialog.show();
        Capture(&dialog, out + QStringLiteral("dialog-login.png"));
        LoginAnswerInfo answer;
        answer.message = QStringLiteral("验证码错误，请重新输入");
        answer.picture = VerificationPicture();
        dialog.ShowLoginResult(answer);
        Capture(&dialog, out + QStringLiteral("dialog-login-picture.png"));
    }
    const struct {
        int type;
        const char* name;
        QString text;
    } boxes[] = {
        {MessageNotice, "dialog-notice", QStringLiteral("设置永久阅读成功！")},
        {MessageQuestion, "dialog-question",
         QStringLiteral("\"示例长帖：城南旧事\"添加关注成功!是否立即阅读？\n此贴为临时阅读状态，"
                        "您可以在\"我的关注\"选项卡里将此贴改为永久阅读。")}};
    for (const auto& b : boxes) {
        CMsgBoxDlg box(&window);
        box.SetOkCancelTexts(QStringLiteral("确定"), QStringLiteral("取消"));
        box.SetYesNoTexts(QStringLiteral("是"), QStringLiteral("否"));
        box.SetMessage(b.type, b.text, QStringLiteral("消息"));
        box.show();
        Capture(&box, out + QString::fromLatin1(b.name) + QStringLiteral(".png"));
    }

    window.close();
    link.AppExit();
    link.Drain(2000);
    return 0;
}

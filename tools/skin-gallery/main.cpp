// Shows every skinned window and control in a few sample windows, to look at the skin as a
// whole. With --screenshots DIR it shows each window in turn over a plain backdrop, captures
// the screen around it into DIR/skin-<name>.png and exits (tools/screenshots.sh runs it under
// xvfb-run).
#include "skin/CSkinButton.h"
#include "skin/CSkinCRButton.h"
#include "skin/CSkinChildDialog.h"
#include "skin/CSkinDialogEx.h"
#include "skin/CSkinHeaderCtrl.h"
#include "skin/CSkinListCtrl.h"
#include "skin/CTransparentStatic.h"
#include "skin/SkinDrawing.h"
#include "skin/SkinSettings.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QHBoxLayout>
#include <QHoverEvent>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

// A stand-in desktop so the window's shape shows in the captures.
class Backdrop : public QWidget {
public:
    Backdrop() : QWidget(nullptr, Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient g(0, 0, 0, height());
        g.setColorAt(0, QColor(0x6d, 0x80, 0x93));
        g.setColorAt(1, QColor(0x9c, 0xae, 0xbf));
        p.fillRect(rect(), g);
    }
};

// The main window: the tab row over a page with the follow list and a row of controls.
class MainSample : public CSkinDialogEx {
public:
    MainSample() {
        SetSkinCaption(QStringLiteral("Quillmere 阅读器"));
        SetSkinIcon();
        SetMinimiseBox(true);
        SetMaximiseBox(true);
        SetResizable(true);
        SetMinTrackSize(760, 520);
        resize(1024, 700);

        auto* outer = new QVBoxLayout(this);
        outer->setContentsMargins(10, 10, 10, 10);
        outer->setSpacing(0);
        auto* tabs = new QHBoxLayout;
        tabs->setSpacing(2);
        tabs->setContentsMargins(20, 0, 0, 0);
        const QStringList captions{QStringLiteral("我的关注"), QStringLiteral("天涯聚焦"),
                                   QStringLiteral("天涯论坛"), QStringLiteral("折扣精选"),
                                   QStringLiteral("帮助")};
        for (int i = 0; i < captions.size(); ++i) {
            auto* tab = new CSkinButton(captions[i], this);
            tab->UseTabBitmaps();
            tab->setFixedSize(100, 30);
            tab->SetPressed(i == 0);
            tabs->addWidget(tab);
        }
        tabs->addStretch(1);
        outer->addLayout(tabs);

        auto* page = new CSkinChildDialog(this);
        page->SetBackgroundBitmap(CSkinChildDialog::kPanelBitmap);
        outer->addWidget(page, 1);
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(10, 10, 10, 10);
        pageLayout->setSpacing(10);

        auto* top = new QHBoxLayout;
        auto* add = new CSkinButton(QStringLiteral("添加关注网页"), page);
        add->SetButtonBitmaps(CSkinButton::kAccentNormalBitmap, CSkinButton::kAccentHoverBitmap,
                              CSkinButton::kAccentPressedBitmap);
        add->SetTextColours(QColor(255, 255, 255), QColor(220, 220, 220));
        add->SetButtonIcon(LoadSkinBitmap(152, devicePixelRatioF()), 10);
        add->setFixedSize(130, 30);
        top->addWidget(add);
        auto* hint = new CTransparentStatic(
            QStringLiteral("单击一行打开阅读窗口，右键菜单可改为永久阅读或删除。"), page);
        hint->SetTextColour(QColor(0x6b, 0x76, 0x80));
        top->addSpacing(12);
        top->addWidget(hint, 1);
        pageLayout->addLayout(top);

        list = new CSkinListCtrl(page);
        list->InsertColumn(0, QStringLiteral("序号"), 50);
        list->InsertColumn(1, QStringLiteral("名字"), 430);
        list->InsertColumn(2, QStringLiteral("作者"), 110);
        list->InsertColumn(3, QStringLiteral("下载"), 80);
        list->InsertColumn(4, QStringLiteral("进度"), 120);
        list->InsertColumn(5, QStringLiteral("阅读"), 90);
        list->SetProgressColumn(4);
        list->SetOwnerDrawColumn(5, [](QPainter& p, const QRect& cell, const QModelIndex& index,
                                       bool) {
            const QString text = index.data().toString();
            const bool temporary = text == QStringLiteral("临时阅读");
            const QColor colour = temporary ? QColor(0xc2, 0x7c, 0x0e) : QColor(0x2f, 0x8a, 0x57);
            QRect tag(cell.x() + 8, cell.center().y() - 10, 64, 20);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(Qt::NoPen);
            QColor fill = colour;
            fill.setAlpha(28);
            p.setBrush(fill);
            p.drawRoundedRect(tag, 10, 10);
            p.setPen(colour);
            p.drawText(tag, Qt::AlignCenter, text);
        });
        struct Row {
            const char* title;
            const char* author;
            int stored, last, percent;
            bool temporary;
        };
        const Row rows[] = {
            {"【原创】我在江南小镇开书店的十年（持续更新）", "青石巷", 212, 212, 100, false},
            {"一个普通人眼里的城市变迁：从老街到新区", "北窗听雨", 48, 60, 80, false},
            {"煮酒论史：明朝那些被遗忘的小人物", "半卷书生", 12, 12, 100, true},
            {"关于养猫的一切：新手必看经验贴", "橘子汽水", 5, 31, 16, false},
            {"旅行笔记：骑行川藏线二十八天", "风过林梢", 0, 0, 0, true},
            {"厨房里的家常味道——每周一道菜", "小满", 96, 150, 64, false},
        };
        int number = 101;
        for (const Row& r : rows) {
            const int row = list->InsertItem(list->GetItemCount(), QString::number(number++));
            list->SetItemText(row, 1, QString::fromUtf8(r.title));
            list->SetItemText(row, 2, QString::fromUtf8(r.author));
            list->SetItemText(row, 3, QStringLiteral("%1/%2").arg(r.stored).arg(r.last));
            list->SetItemText(row, 4, QString::number(r.percent));
            list->SetItemText(
                row, 5, r.temporary ? QStringLiteral("临时阅读") : QStringLiteral("永久阅读"));
        }
        // Enough further rows to need the scroll bar, as a long follow list does.
        for (int i = 0; i < 24; ++i) {
            const int row = list->InsertItem(list->GetItemCount(), QString::number(number++));
            list->SetItemText(row, 1, QStringLiteral("读书笔记（第%1辑）").arg(i + 1));
            list->SetItemText(row, 2, QStringLiteral("书虫%1号").arg(i + 1));
            list->SetItemText(row, 3, QStringLiteral("%1/%1").arg(i * 3 + 1));
            list->SetItemText(row, 4, QString::number(100));
            list->SetItemText(row, 5, QStringLiteral("永久阅读"));
        }
        list->SetRowTextColour(3, QColor(0x9a, 0x3b, 0x3b));
        list->SelectRow(1);
        pageLayout->addWidget(list, 1);

        auto* controls = new QHBoxLayout;
        controls->setSpacing(16);
        auto* group = new QButtonGroup(page);
        const QStringList modes{QStringLiteral("只看楼主"), QStringLiteral("高亮楼主"),
                                QStringLiteral("只看某些人")};
        for (int i = 0; i < modes.size(); ++i) {
            auto* radio = new CSkinCRButton(CSkinCRButton::Kind::Radio, modes[i], page);
            radio->setChecked(i == 0);
            group->addButton(radio);
            controls->addWidget(radio);
        }
        auto* check =
            new CSkinCRButton(CSkinCRButton::Kind::Check, QStringLiteral("自动下载图片"), page);
        check->setChecked(true);
        controls->addWidget(check);
        auto* unchecked =
            new CSkinCRButton(CSkinCRButton::Kind::Check, QStringLiteral("启动时最小化"), page);
        controls->addWidget(unchecked);
        auto* disabledCheck =
            new CSkinCRButton(CSkinCRButton::Kind::Check, QStringLiteral("已停用"), page);
        disabledCheck->setEnabled(false);
        controls->addWidget(disabledCheck);
        controls->addStretch(1);
        auto* refresh = new CSkinButton(QStringLiteral("立即刷新"), page);
        refresh->setFixedSize(88, 28);
        controls->addWidget(refresh);
        auto* off = new CSkinButton(QStringLiteral("输出日志"), page);
        off->setFixedSize(88, 28);
        off->setEnabled(false);
        controls->addWidget(off);
        pageLayout->addLayout(controls);
    }

    // Puts the mouse over a row, as a user would, to show the hover colour.
    void HoverRow(int row) {
        QWidget* port = list->viewport();
        const QRect r = list->visualRect(list->Model()->index(row, 1));
        QHoverEvent event(QEvent::HoverMove, r.center(), port->mapToGlobal(r.center()),
                          QPointF(-1, -1));
        QApplication::sendEvent(port, &event);
    }

    CSkinListCtrl* list = nullptr;
};

// A small dialog of the add-follow kind: label, address field, check box, two buttons.
class DialogSample : public CSkinDialogEx {
public:
    explicit DialogSample(QWidget* parent) : CSkinDialogEx(parent) {
        SetSkinCaption(QStringLiteral("添加关注网页"));
        SetSkinIcon();
        resize(480, 230);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(20, 16, 20, 16);
        layout->setSpacing(10);
        layout->addWidget(new CTransparentStatic(
            QStringLiteral("请输入天涯论坛帖子的网址（帖子的任何一页均可）："), this));
        auto* edit = new QLineEdit(this);
        edit->setText(QStringLiteral("http://bbs.tianya.cn/post-books-12345-1.shtml"));
        edit->setMinimumHeight(28);
        layout->addWidget(edit);
        auto* progress = new CTransparentStatic(QStringLiteral("正在添加，请稍候……"), this);
        progress->SetTextColour(QColor(0x36, 0x7a, 0xd4));
        layout->addWidget(progress);
        layout->addStretch(1);
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(
            new CSkinCRButton(CSkinCRButton::Kind::Check, QStringLiteral("添加后立即阅读"), this));
        buttons->addStretch(1);
        auto* ok = new CSkinButton(QStringLiteral("确定"), this);
        ok->setFixedSize(84, 28);
        ok->setFocus();
        auto* cancel = new CSkinButton(QStringLiteral("取消"), this);
        cancel->setFixedSize(84, 28);
        buttons->addWidget(ok);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
    }
};

// A message box that draws its icon and text through the painting hook.
class MessageSample : public CSkinDialogEx {
public:
    explicit MessageSample(QWidget* parent) : CSkinDialogEx(parent) {
        SetSkinCaption(QStringLiteral("消息"));
        resize(420, 190);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(16, 16, 16, 14);
        layout->addStretch(1);
        auto* buttons = new QHBoxLayout;
        buttons->addStretch(1);
        for (const QString& text : {QStringLiteral("是"), QStringLiteral("否")}) {
            auto* button = new CSkinButton(text, this);
            button->setFixedSize(84, 28);
            buttons->addWidget(button);
        }
        buttons->addStretch(1);
        layout->addLayout(buttons);
    }

protected:
    void OnSkinPaint(QPainter& painter) override {
        const QImage icon = LoadSkinBitmap(150, devicePixelRatioF());
        painter.drawImage(QRect(25, 45, 32, 32), icon);
        painter.setPen(CurrentSkin().listText);
        painter.setFont(font());
        painter.drawText(QRect(72, 45, width() - 72 - 20, 80), Qt::TextWordWrap,
                         QStringLiteral("添加关注成功!是否立即阅读？\n此贴为临时阅读状态，您可以在"
                                        "“我的关注”选项卡里将此贴改为永久阅读。"));
    }
};

bool Capture(QWidget* window, const QString& path) {
    QScreen* screen = window->screen();
    if (!screen)
        return false;
    const QRect area =
        window->frameGeometry().adjusted(-16, -16, 16, 16).intersected(screen->geometry());
    const QPixmap shot = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (shot.isNull() || !shot.save(path, "PNG"))
        return false;
    // A detail of the top-left corner at full resolution, to judge sharpness at 2x.
    const qreal ratio = shot.devicePixelRatio();
    const QRect detail(0, 0, qRound(qMin(area.width(), 560) * ratio),
                       qRound(qMin(area.height(), 160) * ratio));
    QString detailPath = path;
    detailPath.replace(QStringLiteral(".png"), QStringLiteral("-detail.png"));
    return shot.copy(detail).save(detailPath, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InitSkin(QString());
    QString outDir;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--screenshots"));
    if (at >= 0 && at + 1 < args.size())
        outDir = args[at + 1];

    Backdrop backdrop;
    MainSample main;
    DialogSample dialog(&main);
    MessageSample message(&main);

    if (outDir.isEmpty()) {
        main.show();
        dialog.move(main.geometry().center() - QPoint(240, 115));
        dialog.show();
        return app.exec();
    }

    QDir().mkpath(outDir);
    QScreen* screen = QGuiApplication::primaryScreen();
    backdrop.setGeometry(screen->geometry());
    backdrop.show();
    const QRect desk = screen->availableGeometry();
    auto centre = [&](QWidget* w) { w->move(desk.center() - QPoint(w->width(), w->height()) / 2); };

    struct Shot {
        QString name;
        std::function<QWidget*()> show;
    };
    std::vector<Shot> shots = {
        {QStringLiteral("main"),
         [&]() -> QWidget* {
             centre(&main);
             main.show();
             return &main;
         }},
        {QStringLiteral("main-hover"),
         [&]() -> QWidget* {
             main.HoverRow(3);
             return &main;
         }},
        {QStringLiteral("main-maximised"),
         [&]() -> QWidget* {
             main.ToggleMaximise();
             return &main;
         }},
        {QStringLiteral("dialog"),
         [&]() -> QWidget* {
             main.ToggleMaximise();
             main.hide();
             centre(&dialog);
             dialog.show();
             return &dialog;
         }},
        {QStringLiteral("message"),
         [&]() -> QWidget* {
             dialog.hide();
             centre(&message);
             message.show();
             return &message;
         }},
    };
    int failures = 0;
    size_t next = 0;
    std::function<void()> step = [&] {
        if (next >= shots.size()) {
            app.exit(failures == 0 ? 0 : 1);
            return;
        }
        QWidget* shown = shots[next].show();
        const QString path =
            QDir(outDir).filePath(QStringLiteral("skin-%1.png").arg(shots[next].name));
        // Give the X server a moment to map and paint the window before capturing it.
        QTimer::singleShot(500, [&, shown, path] {
            if (Capture(shown, path)) {
                std::printf("%s\n", qPrintable(path));
            } else {
                std::fprintf(stderr, "cannot capture %s\n", qPrintable(path));
                ++failures;
            }
            ++next;
            step();
        });
    };
    QTimer::singleShot(0, step);
    return app.exec();
}

#include "reader/CSelExportPageRangeDlg.h"
#include "reader/ExportMenuCommands.h"
#include "tests/export/ExportTestSupport.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

struct Notice {
    QWidget* parent;
    QString text;
};

// The range dialog's answers to "确定", on its own (not run modally).
TEST(CSelExportPageRangeDlgTest, OkChecksBothNumbersAndKeepsTheDialogOpenWhenWrong) {
    struct Case {
        const char* first;
        const char* last;
        bool chosenPeople;
        const char* notice; // nullptr: accepted
        bool noticeWithoutParent;
        int firstPage, lastPage, starterOnly;
    } cases[] = {
        {nullptr, nullptr, false, nullptr, false, 1, 10000, 1}, // the defaults as shown
        {"5", "3", false, "参数不正确！", true, 0, 0, 0},
        {"-1", "3", false, "参数不正确！", true, 0, 0, 0},
        {"0", "0", false, nullptr, false, 0, 0, 1},
        {" 7 ", "+9", true, nullptr, false, 7, 9, 0},
        {"abc", "3", false, "Enter an integer.", false, 0, 0, 0},
        {"1", "", false, "Enter an integer.", false, 0, 0, 0},
        {"1", "99999999999", false, "Enter an integer.", false, 0, 0, 0},
        {"2.5", "3", false, "Enter an integer.", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first ? c.first : "default") + " " + (c.last ? c.last : ""));
        QList<Notice> notices;
        int peopleDialogs = 0;
        FollowRecord follow;
        follow.focusPageNo = 3;
        CSelExportPageRangeDlg dialog(
            follow,
            [&notices](int kind, QWidget* parent, const QString& text, const QString&) {
                EXPECT_EQ(kind, kMessageNotice);
                notices.append({parent, text});
                return 1;
            },
            [&peopleDialogs](QWidget*, const FollowRecord& f) {
                EXPECT_EQ(f.focusPageNo, 3);
                ++peopleDialogs;
            });
        EXPECT_EQ(dialog.windowTitle(), U("选择导出范围"));
        EXPECT_TRUE(dialog.StarterRadio()->isChecked());
        dialog.show();
        if (c.first)
            dialog.FirstPageEdit()->setText(QString::fromLatin1(c.first));
        if (c.last)
            dialog.LastPageEdit()->setText(QString::fromLatin1(c.last));
        if (c.chosenPeople) {
            dialog.ChosenRadio()->click();
            EXPECT_EQ(peopleDialogs, 1);
            EXPECT_TRUE(dialog.ChosenRadio()->isChecked());
        }
        dialog.findChild<QPushButton*>(QStringLiteral("1"))->click();
        if (!c.notice) {
            EXPECT_TRUE(notices.isEmpty());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.FirstPage(), c.firstPage);
            EXPECT_EQ(dialog.LastPage(), c.lastPage);
            EXPECT_EQ(dialog.StarterOnly(), c.starterOnly);
        } else {
            ASSERT_EQ(notices.size(), 1);
            EXPECT_EQ(notices[0].text, U(c.notice));
            EXPECT_EQ(notices[0].parent == nullptr, c.noticeWithoutParent);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
        }
    }
}

// The follow list's commands through the real range dialog: a folder asked once, the notices,
// and a progress window over the list while a long thread is written.
TEST(OnExportTextTest, TheRealRangeDialogDrivesTheExportAndProgressIsShown) {
    using Command = std::function<void(QWidget*, const QList<FollowRecord>&, const ExportUiSeams&)>;
    const struct {
        Command command;
        QString file;
    } commands[] = {
        {[](QWidget* parent, const QList<FollowRecord>& rows, const ExportUiSeams& seams) {
             OnExportText(parent, ExportKind::Html, rows, seams);
         },
         U("长帖.html")},
        {OnExportEpub, U("长帖.epub")},
    };
    for (const auto& command : commands) {
        SCOPED_TRACE(command.file.toStdString());
        ExportHome home;
        QList<ThreadPost> posts;
        for (int page = 1; page <= 120; ++page)
            posts.append(MakePost(page, "楼主", "2020-01-01 00:00:00", "内容"));
        const int a = home.Follow(U("长帖"), U("楼主"), posts);
        const int b =
            home.Follow(U("短帖"), U("楼主"), {MakePost(1, "楼主", "2020-01-01 00:00:00", "x")});

        QWidget list;
        list.show();
        int folders = 0;
        QStringList notices;
        int progressMaximum = -1;
        ExportUiSeams seams;
        seams.chooseFolder = [&](QWidget* parent) {
            EXPECT_EQ(parent, &list);
            ++folders;
            return home.Folder();
        };
        seams.showMessage = [&](int kind, QWidget* parent, const QString& text, const QString&) {
            EXPECT_EQ(kind, kMessageNotice);
            EXPECT_EQ(parent, &list);
            notices.append(text);
            if (notices.size() == 1)
                if (auto* progress = list.findChild<QProgressDialog*>())
                    progressMaximum = progress->maximum();
            return 1;
        };
        // Each range dialog is answered when it shows: the first with pages 1 to 100, the
        // second with "取消".
        QTimer answer;
        answer.setInterval(10);
        int answered = 0;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<CSelExportPageRangeDlg*>(QApplication::activeModalWidget());
            // One dialog object may reuse the address of the one before: mark each as answered.
            if (!dialog || dialog->property("answered").toBool())
                return;
            dialog->setProperty("answered", true);
            if (++answered == 1) {
                dialog->FirstPageEdit()->setText(QStringLiteral("1"));
                dialog->LastPageEdit()->setText(QStringLiteral("100"));
                dialog->findChild<QPushButton*>(QStringLiteral("1"))->click();
            } else {
                dialog->findChild<QPushButton*>(QStringLiteral("2"))->click();
            }
        });
        answer.start();
        command.command(&list, {home.Record(a), home.Record(b)}, seams);
        answer.stop();
        EXPECT_EQ(answered, 2);

        EXPECT_EQ(folders, 1);
        EXPECT_EQ(notices, QStringList{U("已导出100个帖！")});
        EXPECT_EQ(progressMaximum, 100);
        EXPECT_EQ(home.ExportedFiles(), QStringList{command.file});
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

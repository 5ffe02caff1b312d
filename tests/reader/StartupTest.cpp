// The reader's start-up steps and its single instance.
#include "common/ProgramDirectory.h"
#include "common/SingleInstance.h"
#include "common/Utilities.h"
#include "reader/CQuillmereApp.h"
#include "store/Catalogue.h"
#include "tests/reader/ReaderTestKit.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

TEST(Startup, PurgeRemovesTemporaryAndDeletedFollowsWithTheirFiles) {
    TempHome home;
    const int temporary = AddFollow(QStringLiteral("临时"), {1}, 1);
    const int permanent = AddFollow(QStringLiteral("永久"), {1}, 0);
    const int deleted = AddFollow(QStringLiteral("删除"), {1}, 0);
    MarkFollowDeleted(deleted);
    const int missingFile = AddFollow(QStringLiteral("无文件"), {}, 1);
    FollowRecord t, p, d, m;
    ReadFollowedThread(temporary, t);
    ReadFollowedThread(permanent, p);
    ReadFollowedThread(deleted, d);
    ReadFollowedThread(missingFile, m);
    QFile::remove(home.File(m.dbFileName));

    CQuillmereApp::PurgeTemporaryFollows();
    QList<FollowRecord> left;
    ASSERT_TRUE(ListFollowedThreads(left));
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].focusPageNo, permanent);
    EXPECT_FALSE(QFile::exists(home.File(t.dbFileName)));
    EXPECT_FALSE(QFile::exists(home.File(d.dbFileName)));
    EXPECT_TRUE(QFile::exists(home.File(p.dbFileName)));
}

TEST(Startup, PictureFolderIsEmptiedButItsFoldersStay) {
    TempHome home;
    home.WriteFile(QStringLiteral("Img/a.jpg"), "x");
    home.WriteFile(QStringLiteral("Img/b.png"), "y");
    home.WriteFile(QStringLiteral("Img/sub/c.png"), "z");
    QFile::setPermissions(home.File(QStringLiteral("Img/b.png")), QFile::ReadOwner);
    CQuillmereApp::ClearPictureDirectory();
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("Img/a.jpg"))));
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("Img/b.png"))));
    EXPECT_TRUE(QFile::exists(home.File(QStringLiteral("Img/sub/c.png"))));
}

TEST(Startup, ASecondReaderEndsAtOnceAndTouchesNothing) {
    TempHome home;
    const int temporary = AddFollow(QStringLiteral("临时"), {1}, 1);
    home.WriteFile(QStringLiteral("Img/a.jpg"), "x");
    SingleInstance first(QStringLiteral("QuillmereClientExe"));
    ASSERT_TRUE(first.IsFirst());
    QProcess second;
    second.start(BinaryPath(QStringLiteral("Quillmere")), {QStringLiteral("--home"), home.Path()});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    FollowRecord record;
    EXPECT_TRUE(ReadFollowedThread(temporary, record));
    EXPECT_TRUE(QFile::exists(home.File(QStringLiteral("Img/a.jpg"))));
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("run/QuillmereServerMainDlg"))));
}

} // namespace

#include "reader/SoftUpdate.h"

#include "common/IniFile.h"
#include "common/ProgramDirectory.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

QString U(const char* text) {
    return QString::fromUtf8(text);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

LargeMessage VersionRecord(const char* kind, const char* message, const char* url1,
                           const char* url2, const char* url3) {
    auto fields = MakeRecord<SoftVerUpdateMessage>(CDTSoftVerUpdate);
    fields.updateKind.Set(U(kind));
    fields.field4.Set(QStringLiteral("0.95"));
    fields.message.Set(U(message));
    fields.field6.Set(U(url1));
    fields.field7.Set(U(url2));
    fields.field8.Set(U(url3));
    return ToLarge(fields);
}

// What the update showed, asked, opened and started.
struct Desktop {
    SoftUpdateSeams Seams() {
        SoftUpdateSeams seams;
        seams.showMessage = [this](int kind, QWidget*, const QString& text, const QString&) {
            (kind == kMessageQuestion ? questions : notices).append(text);
            return answer;
        };
        seams.openUrl = [this](const QString& address) { opened.append(address); };
        seams.startProgram = [this](const QString& program, const QStringList& arguments) {
            started.append(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
        };
        return seams;
    }
    int answer = kMessageYes;
    QStringList questions, notices, opened, started;
};

// A home as the reader leaves it at start: Update/, the shipped description and the updater.
class UpdateHome : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureUpdaterFiles();
        ASSERT_TRUE(QFileInfo(home.File(QStringLiteral("UpdateSoft"))).isExecutable());
    }
    TempHome home;
};

TEST_F(UpdateHome, OfferEdgeCases) {
    struct Case {
        const char* name;
        int updateAll;
        const char* kind;
        const char* message;
        const char* url1;
        const char* url3;
        int answer;
        bool removeUpdateFolder;
        QStringList questions, notices, opened;
        bool started;
    };
    const QString question = U("新版本可用。是否立即升级？");
    const Case cases[] = {
        {"flag 0 and an optional row: nothing",
         0,
         "可选",
         "新版本可用。",
         "http://m/a",
         "http://m/h",
         kMessageYes,
         false,
         {},
         {},
         {},
         false},
        {"flag 0 and a kind that only looks mandatory: nothing",
         0,
         "必须 ",
         "新版本可用。",
         "http://m/a",
         "http://m/h",
         kMessageYes,
         false,
         {},
         {},
         {},
         false},
        {"flag 0 and a mandatory row: asked, started",
         0,
         "必须",
         "新版本可用。",
         "http://m/a",
         "http://m/h",
         kMessageYes,
         false,
         {question},
         {},
         {},
         true},
        {"flag 1 and any row: asked, started",
         1,
         "可选",
         "新版本可用。",
         "http://m/a",
         "",
         kMessageYes,
         false,
         {question},
         {},
         {},
         true},
        {"any flag other than 0 offers every row",
         7,
         "",
         "新版本可用。",
         "http://m/a",
         "",
         kMessageYes,
         false,
         {question},
         {},
         {},
         true},
        {"no message: nothing",
         1,
         "必须",
         "",
         "http://m/a",
         "http://m/h",
         kMessageYes,
         false,
         {},
         {},
         {},
         false},
        {"no first address: the message, then the page",
         1,
         "可选",
         "新版本可用。",
         "",
         "http://m/h",
         kMessageYes,
         false,
         {},
         {U("新版本可用。")},
         {U("http://m/h")},
         false},
        {"no first and no third address: nothing",
         1,
         "可选",
         "新版本可用。",
         "",
         "",
         kMessageYes,
         false,
         {},
         {},
         {},
         false},
        {"no with a third address opens it",
         1,
         "可选",
         "新版本可用。",
         "http://m/a",
         "http://m/h",
         7,
         false,
         {question},
         {},
         {U("http://m/h")},
         false},
        {"no without a third address: nothing more",
         1,
         "可选",
         "新版本可用。",
         "http://m/a",
         "",
         7,
         false,
         {question},
         {},
         {},
         false},
        {"no Update folder: the failure notice, nothing started",
         1,
         "必须",
         "新版本可用。",
         "http://m/a",
         "http://m/h",
         kMessageYes,
         true,
         {question},
         {U("准备升级文件失败！")},
         {},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.removeUpdateFolder) {
            ASSERT_TRUE(QDir(home.File(QStringLiteral("Update"))).removeRecursively());
        }
        Desktop desktop;
        desktop.answer = c.answer;
        OnSoftVersion(VersionRecord(c.kind, c.message, c.url1, "http://m/b", c.url3), c.updateAll,
                      desktop.Seams());
        EXPECT_EQ(desktop.questions, c.questions);
        EXPECT_EQ(desktop.notices, c.notices);
        EXPECT_EQ(desktop.opened, c.opened);
        EXPECT_EQ(desktop.started,
                  c.started ? QStringList{home.Path() + QStringLiteral("Update/UpdateSoft /auto")}
                            : QStringList{});
    }
}

TEST_F(UpdateHome, TheDescriptionHasTheEightKeysInOrderAndKeepsTheShippedOnes) {
    // Leftovers of an earlier update are replaced.
    home.WriteFile(QStringLiteral("Update/UpdateSoft.ini"), "[Base]\nSoftUrl1=old\nStale=1\n");
    home.WriteFile(QStringLiteral("Update/UpdateSoft"), "old program");
    const QString updater = PrepareUpdate(
        SoftVersionInfo{U("必须"), {}, U("m"), U("http://a/1"), U("http://a/2"), U("http://a/3")});
    ASSERT_EQ(updater, home.Path() + QStringLiteral("Update/UpdateSoft"));
    EXPECT_EQ(ReadAll(updater), ReadAll(BinaryPath(QStringLiteral("UpdateSoft"))));
    EXPECT_TRUE(QFileInfo(updater).isExecutable());

    const QString ini = home.File(QStringLiteral("Update/UpdateSoft.ini"));
    const QByteArray expected = "[Base]\nUpdateSoftName=Quillmere\nCloseWnd1=Quillmere\n"
                                "CloseWnd2=QuillmereServerMainDlg\nSoftUrl1=http://a/1\n"
                                "SoftUrl2=http://a/2\nSoftUrl3=http://a/3\nSavePath=" +
                                (home.Path() + QStringLiteral("Update/Quillmere")).toUtf8() +
                                "\nFileName=Quillmere\nMaxBytes=268435456\n";
    EXPECT_EQ(ReadAll(ini), expected);
}

TEST_F(UpdateHome, BlanksInTheHomePathBecomeAsterisksInSavePathOnly) {
    const QString spaced = home.File(QStringLiteral("my reader home"));
    ASSERT_TRUE(SetProgramDirectory(spaced));
    EnsureUpdaterFiles();
    const QString updater = PrepareUpdate(SoftVersionInfo{{}, {}, {}, U("http://a/1"), {}, {}});
    ASSERT_EQ(updater, spaced + QStringLiteral("/Update/UpdateSoft"));
    const IniFile ini(spaced + QStringLiteral("/Update/UpdateSoft.ini"));
    const QString base = QStringLiteral("Base");
    QString savePath = spaced + QStringLiteral("/Update/Quillmere");
    savePath.replace(QLatin1Char(' '), QLatin1Char('*'));
    EXPECT_EQ(ini.ReadText(base, QStringLiteral("SavePath")), savePath);
    EXPECT_FALSE(savePath.contains(QLatin1Char(' ')));
    EXPECT_EQ(ini.ReadText(base, QStringLiteral("UpdateSoftName")), QStringLiteral("Quillmere"));
    EXPECT_EQ(ini.ReadText(base, QStringLiteral("CloseWnd1")), QStringLiteral("Quillmere"));
    EXPECT_EQ(ini.ReadText(base, QStringLiteral("FileName")), QStringLiteral("Quillmere"));
    SetProgramDirectory(home.Path());
}

TEST_F(UpdateHome, MissingShippedFilesFailAndTheIniCopyStays) {
    const SoftVersionInfo info{{}, {}, {}, U("http://a/1"), {}, {}};
    ASSERT_TRUE(QFile::remove(home.File(QStringLiteral("UpdateSoft"))));
    EXPECT_TRUE(PrepareUpdate(info).isEmpty());
    EXPECT_TRUE(QFile::exists(home.File(QStringLiteral("Update/UpdateSoft.ini"))));
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("Update/UpdateSoft"))));

    ASSERT_TRUE(QFile::remove(home.File(QStringLiteral("UpdateSoft.ini"))));
    ASSERT_TRUE(QFile::remove(home.File(QStringLiteral("Update/UpdateSoft.ini"))));
    EXPECT_TRUE(PrepareUpdate(info).isEmpty());
    EXPECT_FALSE(QFile::exists(home.File(QStringLiteral("Update/UpdateSoft.ini"))));
}

TEST(EnsureUpdaterFilesTest, AHomeGetsWhatItLacksAndKeepsWhatItHas) {
    TempHome home;
    home.WriteFile(QStringLiteral("UpdateSoft.ini"), "[Base]\nMaxBytes=5\n");
    EnsureUpdaterFiles();
    EXPECT_TRUE(QFileInfo(home.File(QStringLiteral("Update"))).isDir());
    EXPECT_EQ(ReadAll(home.File(QStringLiteral("UpdateSoft.ini"))), "[Base]\nMaxBytes=5\n");
    EXPECT_EQ(ReadAll(home.File(QStringLiteral("UpdateSoft"))),
              ReadAll(BinaryPath(QStringLiteral("UpdateSoft"))));

    TempHome fresh;
    EnsureUpdaterFiles();
    EXPECT_EQ(ReadAll(fresh.File(QStringLiteral("UpdateSoft.ini"))),
              ReadAll(qEnvironmentVariable("QUILLMERE_SOURCE_DIR") +
                      QStringLiteral("/tools/updater/UpdateSoft.ini")));
}

} // namespace

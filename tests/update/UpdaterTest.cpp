#include "common/ProgramDirectory.h"
#include "reader/SoftUpdate.h"
#include "tests/demo-forum/DemoForumProcess.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"
#include "tools/updater/CUpdateSoftDlg.h"
#include "tools/updater/SoftDownloader.h"
#include "tools/updater/UpdateDescription.h"
#include "tools/updater/UpdateJob.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// One sample forum for every test here; the package's bytes as a plain client gets them.
class UpdaterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        forum = new DemoForumProcess;
        ASSERT_TRUE(forum->Ready());
        const HttpAnswer answer = HttpGet(
            forum->Port(), Maker(), QStringLiteral("/Quillmere/Update/Quillmere-0.95.tar.gz"));
        ASSERT_TRUE(answer.ok);
        ASSERT_EQ(answer.status, 200);
        package = new QByteArray(answer.body.data(), static_cast<qsizetype>(answer.body.size()));
        ASSERT_EQ(package->size(), 3 * 1024 * 1024);
    }
    static void TearDownTestSuite() {
        delete forum;
        delete package;
    }
    static QString Maker() { return forum->Host(QStringLiteral("www.quillmere")); }
    static QString Address(const char* path) {
        return QStringLiteral("http://") + Maker() + QString::fromLatin1(path);
    }
    static QString Good() { return Address("/Quillmere/Update/Quillmere-0.95.tar.gz"); }
    static QString Mirror() { return Address("/Quillmere/Update/mirror/Quillmere-0.95.tar.gz"); }
    static QString Cut() { return Address("/Quillmere/Update/cut/Quillmere-0.95.tar.gz"); }
    static QString Missing() { return Address("/Quillmere/Update/Quillmere-9.99.zip"); }
    static QString HelpPage() { return Address("/Quillmere/SoftHelp.html"); }

    static DemoForumProcess* forum;
    static QByteArray* package;
    QTemporaryDir folder;
    std::atomic<bool> noCancel{false};
};

DemoForumProcess* UpdaterTest::forum = nullptr;
QByteArray* UpdaterTest::package = nullptr;

TEST_F(UpdaterTest, OneDownloadSavesTheWholeFileOrLeavesTheEarlierOneAlone) {
    struct Case {
        const char* name;
        QString address;
        int64_t maxBytes;
        DownloadOutcome outcome;
    };
    const Case cases[] = {
        {"complete", Good(), 256 << 20, DownloadOutcome::Saved},
        {"connection dropped halfway", Cut(), 256 << 20, DownloadOutcome::Failed},
        {"not found", Missing(), 256 << 20, DownloadOutcome::Failed},
        {"a web page is not the program", HelpPage(), 256 << 20, DownloadOutcome::NotAFile},
        {"larger than the bound", Good(), 1 << 20, DownloadOutcome::TooLarge},
        {"no server", QStringLiteral("http://127.0.0.1:1/x.tar.gz"), 256 << 20,
         DownloadOutcome::Failed},
        {"not HTTP", QStringLiteral("file:///etc/passwd"), 256 << 20, DownloadOutcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString target = folder.filePath(QStringLiteral("Quillmere"));
        QFile::remove(target);
        {
            QFile earlier(target);
            ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
        }
        int64_t lastProgress = 0;
        const DownloadResult result = DownloadToFile(
            c.address, target, DownloadLimits{10000, 10000, c.maxBytes},
            [&lastProgress](int64_t received, int64_t) { lastProgress = received; }, noCancel);
        EXPECT_EQ(result.outcome, c.outcome) << result.detail.toStdString();
        EXPECT_EQ(ReadAll(target),
                  c.outcome == DownloadOutcome::Saved ? *package : QByteArray("earlier"));
        EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("Quillmere")});
        if (c.outcome == DownloadOutcome::Saved) {
            EXPECT_EQ(lastProgress, package->size());
            EXPECT_FALSE(QFileInfo(target).isExecutable());
        }
    }
}

TEST_F(UpdaterTest, TheJobFallsBackToTheNextAddressAndStopsAtTheFirstWholeFile) {
    UpdateDescription description;
    description.addresses = {Cut(), Missing(), Mirror(), Good()};
    description.savePath = folder.filePath(QStringLiteral("Quillmere"));
    description.maxBytes = kDefaultMaxUpdateBytes;
    UpdateJob job(description, DownloadLimits{});
    QStringList attempts;
    QObject::connect(&job, &UpdateJob::Attempt, &job,
                     [&attempts](int, const QString& a) { attempts.append(a); });
    QSignalSpy finished(&job, &UpdateJob::Finished);
    job.Start();
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.first().at(0).toString(), description.savePath);
    EXPECT_EQ(attempts, (QStringList{Cut(), Missing(), Mirror()}));
    EXPECT_EQ(ReadAll(description.savePath), *package);
    EXPECT_EQ(FilesIn(folder.path()), QStringList{QStringLiteral("Quillmere")});
}

TEST_F(UpdaterTest, AStalledAnswerEndsWithinTheReceiveLimit) {
    DemoForumProcess slow({QStringLiteral("--faults"), QStringLiteral("slow"),
                           QStringLiteral("--fault-share"), QStringLiteral("100"),
                           QStringLiteral("--fault-delay-ms"), QStringLiteral("20000")});
    ASSERT_TRUE(slow.Ready());
    const QString target = folder.filePath(QStringLiteral("Quillmere"));
    const DownloadResult result =
        DownloadToFile(QStringLiteral("http://") + slow.Host(QStringLiteral("www.quillmere")) +
                           QStringLiteral("/Quillmere/Update/Quillmere-0.95.tar.gz"),
                       target, DownloadLimits{10000, 1000, 1 << 30}, {}, noCancel);
    EXPECT_EQ(result.outcome, DownloadOutcome::Failed);
    EXPECT_TRUE(FilesIn(folder.path()).isEmpty());
}

TEST_F(UpdaterTest, TheWindowTellsWhereTheFileIsOrThatNothingCame) {
    for (const bool works : {true, false}) {
        SCOPED_TRACE(works ? "saved" : "failed");
        UpdateDescription description;
        description.softName = QStringLiteral("Quillmere");
        description.addresses = {Cut(), works ? Mirror() : HelpPage()};
        description.savePath = folder.filePath(QStringLiteral("Quillmere"));
        description.maxBytes = kDefaultMaxUpdateBytes;
        QStringList told;
        CUpdateSoftDlg window(description, DownloadLimits{},
                              [&told](QWidget*, const QString& title, const QString& text) {
                                  told.append(title + QLatin1Char('|') + text);
                              });
        window.show();
        window.Start();
        const int result = window.exec();
        EXPECT_EQ(result, works ? QDialog::Accepted : QDialog::Rejected);
        ASSERT_EQ(told.size(), 1);
        EXPECT_EQ(told.first(),
                  QStringLiteral("Quillmere 升级|") +
                      (works ? UpdateSavedText(description.savePath) : UpdateFailedText()));
        EXPECT_EQ(QFile::exists(description.savePath), works);
        QFile::remove(description.savePath);
    }
}

TEST(UpdateDescriptionTest, TheDownloadNeverLandsOutsideTheUpdaterFolder) {
    QTemporaryDir dir;
    const QString own = dir.filePath(QStringLiteral("my Update"));
    ASSERT_TRUE(QDir().mkpath(own));
    struct Case {
        const char* savePath; // "@" stands for the updater's folder
        const char* fileName;
        const char* expected;
    } cases[] = {
        {"@/Quillmere", "Quillmere", "Quillmere"},
        {"@/Other", "Quillmere", "Other"},
        {"/tmp/elsewhere/Quillmere", "Quillmere", "Quillmere"},
        {"@/../Quillmere", "Quillmere", "Quillmere"},
        {"@/UpdateSoft", "Quillmere", "Quillmere"},
        {"@/UpdateSoft.ini", "../../x", "x"},
        {"", "", "Quillmere"},
        {"", "UpdateSoft", "Quillmere"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.savePath);
        QString savePath = QString::fromUtf8(c.savePath).replace(QLatin1Char('@'), own);
        savePath.replace(QLatin1Char(' '), QLatin1Char('*'));
        QFile ini(own + QStringLiteral("/UpdateSoft.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[Base]\nSoftUrl1=http://a/1\nSoftUrl2=\nSoftUrl3=http://a/3\nSavePath=" +
                  savePath.toUtf8() + "\nFileName=" + c.fileName + "\nMaxBytes=99999999999\n");
        ini.close();
        const UpdateDescription d = ReadUpdateDescription(ini.fileName(), own);
        EXPECT_EQ(d.savePath, QFileInfo(own).canonicalFilePath() + QLatin1Char('/') +
                                  QString::fromUtf8(c.expected));
        EXPECT_EQ(d.addresses,
                  (QStringList{QStringLiteral("http://a/1"), QStringLiteral("http://a/3")}));
        EXPECT_EQ(d.maxBytes, kHardMaxUpdateBytes);
    }
}

// The whole chain: the reader prepares a home whose path has blanks, the updater program runs
// from its copy and saves the mirror's file after the dropped first address.
TEST_F(UpdaterTest, TheProgramPreparedByTheReaderDownloadsIntoUpdateOnly) {
    TempHome temp;
    const QString home = temp.File(QStringLiteral("a home with blanks"));
    ASSERT_TRUE(SetProgramDirectory(home));
    EnsureUpdaterFiles();
    for (const bool works : {true, false}) {
        SCOPED_TRACE(works ? "saved" : "failed");
        const QString updater = PrepareUpdate(SoftVersionInfo{QStringLiteral("必须"),
                                                              {},
                                                              QStringLiteral("m"),
                                                              Cut(),
                                                              works ? Mirror() : Missing(),
                                                              HelpPage()});
        ASSERT_FALSE(updater.isEmpty());
        QProcess process;
        process.start(updater, {QStringLiteral("/auto"), QStringLiteral("--unattended")});
        ASSERT_TRUE(process.waitForFinished(90000));
        const QString saved = home + QStringLiteral("/Update/Quillmere");
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
        if (works) {
            EXPECT_EQ(process.exitCode(), 0);
            EXPECT_EQ(out, QStringLiteral("saved ") + saved);
            EXPECT_EQ(ReadAll(saved), *package);
            EXPECT_FALSE(QFileInfo(saved).isExecutable());
            ASSERT_TRUE(QFile::remove(saved));
        } else {
            EXPECT_EQ(process.exitCode(), 1);
            EXPECT_EQ(out, QStringLiteral("failed"));
        }
        EXPECT_EQ(FilesIn(home + QStringLiteral("/Update")),
                  (QStringList{QStringLiteral("UpdateSoft"), QStringLiteral("UpdateSoft.ini")}));
    }
    SetProgramDirectory(temp.Path());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

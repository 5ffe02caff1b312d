// An install into a temporary prefix, then the installed reader with a new home: it must start
// the installed server and fill the home from the installed delivered files.
#include "common/CommandChannel.h"
#include "tests/support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

template <typename Condition> bool WaitFor(Condition condition, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Clock::now() < deadline) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

// Pids of live processes whose executable is `program` and whose arguments name `home`.
QList<qint64> ProcessesOf(const QString& program, const QString& home) {
    QList<qint64> pids;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (stat.open(QIODevice::ReadOnly) && stat.readAll().contains(") Z "))
            continue;
        if (QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() != program)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (cmdline.open(QIODevice::ReadOnly) &&
            cmdline.readAll().split('\0').contains(home.toUtf8()))
            pids.append(pid);
    }
    return pids;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class InstallTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prefixDir_.isValid());
        prefix_ = prefixDir_.path();
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(qEnvironmentVariable("QUILLMERE_CMAKE"),
                      {QStringLiteral("--install"), qEnvironmentVariable("QUILLMERE_BUILD_DIR"),
                       QStringLiteral("--prefix"), prefix_});
        ASSERT_TRUE(install.waitForFinished(120000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    }
    void TearDown() override {
        for (const QString& program : {Reader(), Server()})
            for (qint64 pid : ProcessesOf(program, HomePath()))
                ::kill(static_cast<pid_t>(pid), SIGKILL);
    }
    QString Installed(const QString& relative) const {
        return prefix_ + QLatin1Char('/') + relative;
    }
    QString Reader() const { return Installed(QStringLiteral("bin/Quillmere")); }
    QString Server() const {
        return Installed(QStringLiteral("libexec/quillmere/QuillmereServer"));
    }
    QString HomePath() const {
        QString path = home_.Path();
        path.chop(1);
        return path;
    }

    QTemporaryDir prefixDir_;
    QString prefix_;
    TempHome home_;
};

} // namespace

TEST_F(InstallTest, EveryFileLandsInItsUsualPlace) {
    for (const char* program :
         {"bin/Quillmere", "bin/quillmere-cli", "libexec/quillmere/QuillmereServer",
          "libexec/quillmere/QuillmereCrashNotice", "libexec/quillmere/UpdateSoft"})
        EXPECT_TRUE(QFileInfo(Installed(QString::fromUtf8(program))).isExecutable()) << program;

    const QString source = qEnvironmentVariable("QUILLMERE_SOURCE_DIR");
    EXPECT_EQ(ReadAll(Installed(QStringLiteral("share/quillmere/Show.html"))),
              ReadAll(source + QStringLiteral("/common/files/Show.html")));
    EXPECT_EQ(ReadAll(Installed(QStringLiteral("share/quillmere/UpdateSoft.ini"))),
              ReadAll(source + QStringLiteral("/tools/updater/UpdateSoft.ini")));
    EXPECT_TRUE(ReadAll(Installed(QStringLiteral("share/quillmere/ForumData.db")))
                    .startsWith("SQLite format 3"));

    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QImageReader icon(
            Installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/quillmere.png").arg(size)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }

    const QString entry = Installed(QStringLiteral("share/applications/quillmere.desktop"));
    const QString text = QString::fromUtf8(ReadAll(entry));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=\"%1\"\n").arg(Reader())))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=quillmere\n")));
    const QString validate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(validate.isEmpty()) << "desktop-file-validate (desktop-file-utils) is missing";
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(validate, {entry});
    ASSERT_TRUE(check.waitForFinished(30000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
}

TEST_F(InstallTest, TheInstalledReaderStartsTheInstalledServerAndUsesTheInstalledFiles) {
    // A mark in the installed page shows that the home's copy came from the install.
    const QString page = Installed(QStringLiteral("share/quillmere/Show.html"));
    QFile::setPermissions(page, QFile::ReadOwner | QFile::WriteOwner);
    {
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write("<!-- installed copy -->\n");
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QUILLMERE_SERVER", "QUILLMERE_BIN_DIR", "QUILLMERE_HOME"})
        environment.remove(QString::fromUtf8(name));
    QProcess reader;
    reader.setProcessEnvironment(environment);
    reader.setWorkingDirectory(QDir::tempPath());
    reader.start(Reader(), {QStringLiteral("--home"), HomePath()});
    ASSERT_TRUE(reader.waitForStarted(10000));

    ASSERT_TRUE(WaitFor([&] { return ProcessesOf(Server(), HomePath()).size() == 1; }, 20000))
        << "the installed server did not start";
    CommandChannel probe;
    probe.StartChannel(QStringLiteral("QuillmereServerMainDlg"));
    EXPECT_TRUE(WaitFor([&] { return probe.FindPeer() == CommandChannel::PeerFound; }, 20000));

    EXPECT_TRUE(
        ReadAll(home_.File(QStringLiteral("Show.html"))).endsWith("<!-- installed copy -->\n"));
    EXPECT_TRUE(ReadAll(home_.File(QStringLiteral("ForumData.db"))).startsWith("SQLite format 3"));
    EXPECT_EQ(ReadAll(home_.File(QStringLiteral("UpdateSoft"))),
              ReadAll(Installed(QStringLiteral("libexec/quillmere/UpdateSoft"))));
    EXPECT_TRUE(QFile::exists(home_.File(QStringLiteral("UpdateSoft.ini"))));

    // Closing the reader ends the server too.
    reader.terminate();
    EXPECT_TRUE(reader.waitForFinished(15000));
    EXPECT_TRUE(WaitFor([&] { return ProcessesOf(Server(), HomePath()).isEmpty(); }, 20000));
}

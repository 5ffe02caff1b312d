#include "tests/e2e/TestProcesses.h"

#include "common/IniFile.h"
#include "tests/support/TestPaths.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

DemoForumProcess::DemoForumProcess(const QString& settingsFile, const QStringList& extra)
    : settingsFile_(settingsFile) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(BinaryPath(QStringLiteral("QuillmereDemoForum")),
                   QStringList{QStringLiteral("--port"), QStringLiteral("0"),
                               QStringLiteral("--write-hosts"), settingsFile} +
                       extra);
    if (!process_.waitForStarted(5000))
        return;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(200))
            continue;
        while (process_.canReadLine()) {
            const QByteArray line = process_.readLine().trimmed();
            if (line.startsWith("ready ")) {
                port_ = line.mid(6).toInt();
                return;
            }
        }
    }
}

DemoForumProcess::~DemoForumProcess() {
    process_.kill();
    process_.waitForFinished(3000);
}

QString DemoForumProcess::HostOf(const QString& hostKey) const {
    return IniFile(settingsFile_).ReadText(QStringLiteral("Hosts"), hostKey);
}

QString DemoForumProcess::Url(const QString& hostKey, const QString& path) const {
    return QStringLiteral("http://") + HostOf(hostKey) + path;
}

ServerProcess::ServerProcess(const QString& home) : home_(home) {}

ServerProcess::~ServerProcess() {
    Kill();
}

bool ServerProcess::Start() {
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
    process_.start(BinaryPath(QStringLiteral("QuillmereServer")),
                   {QStringLiteral("--home"), home_});
    return process_.waitForStarted(5000);
}

void ServerProcess::Kill() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

bool ServerProcess::WaitForEnd(int timeoutMs) {
    return process_.waitForFinished(timeoutMs);
}

#pragma once

#include "common/ProcessTree.h"

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

// The sample forum started for a test on a free loopback port, its hosts written into the
// test home's settings. Ended with the object.
class DemoForumProcess {
public:
    explicit DemoForumProcess(const QString& settingsFile, const QStringList& extra = {});
    ~DemoForumProcess();
    bool Ready() const { return port_ > 0; }
    int Port() const { return port_; }
    // An address on one of the forum's hosts, e.g. Url("bbs", "/post-a-1-1.shtml").
    QString Url(const QString& hostKey, const QString& path) const;
    QString HostOf(const QString& hostKey) const;

private:
    QProcess process_;
    QString settingsFile_;
    int port_ = 0;
};

// The fetch server under test, with a home.
class ServerProcess {
public:
    explicit ServerProcess(const QString& home);
    ~ServerProcess();
    bool Start();
    void Kill();
    // True when the process ended within the time.
    bool WaitForEnd(int timeoutMs);
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    qint64 Pid() const { return process_.processId(); }

private:
    QString home_;
    QProcess process_;
};

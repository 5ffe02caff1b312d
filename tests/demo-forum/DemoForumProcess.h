#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

// One running sample forum, started on a free port and stopped when this goes away.
class DemoForumProcess {
public:
    explicit DemoForumProcess(QStringList arguments = {});
    ~DemoForumProcess();

    // True once the program printed its "ready <port>" line.
    bool Ready() const { return port_ > 0; }
    int Port() const { return port_; }
    // What the program printed before its ready line.
    const QString& Preamble() const { return preamble_; }
    // "name.localhost:port".
    QString Host(const QString& name) const;

private:
    QProcess process_;
    int port_ = 0;
    QString preamble_;
};

struct HttpAnswer {
    bool ok = false; // a complete answer arrived
    int status = 0;
    std::string body;
    std::multimap<std::string, std::string> headers;
    std::string Header(const std::string& name) const;
};

// A plain GET or form POST to 127.0.0.1 with the Host header of a virtual host.
// Redirects are not followed.
HttpAnswer HttpGet(int port, const QString& host, const QString& pathAndQuery,
                   const QString& cookie = {});
HttpAnswer HttpPost(int port, const QString& host, const QString& path,
                    const std::map<QString, QString>& fields, const QString& cookie = {});
// The path and query of an absolute address.
QString PathOf(const QString& address);
// The host (with port) of an absolute address.
QString HostOf(const QString& address);

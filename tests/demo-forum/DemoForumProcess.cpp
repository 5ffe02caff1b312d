#include "tests/demo-forum/DemoForumProcess.h"

#include "tests/support/TestPaths.h"

#include <QElapsedTimer>
#include <QUrl>
#include <QUrlQuery>
#include <httplib.h>

DemoForumProcess::DemoForumProcess(QStringList arguments) {
    if (!arguments.contains(QStringLiteral("--port")))
        arguments << QStringLiteral("--port") << QStringLiteral("0");
    arguments << QStringLiteral("--exit-on-stdin-eof");
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(BinaryPath(QStringLiteral("QuillmereDemoForum")), arguments);
    if (!process_.waitForStarted(5000))
        return;
    QElapsedTimer timer;
    timer.start();
    QByteArray pending;
    while (timer.elapsed() < 10000) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(200)) {
            if (process_.state() == QProcess::NotRunning)
                return;
            continue;
        }
        while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine());
            if (line.startsWith(QLatin1String("ready "))) {
                port_ = line.mid(6).trimmed().toInt();
                return;
            }
            preamble_ += line;
        }
    }
}

DemoForumProcess::~DemoForumProcess() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(2000);
    }
}

QString DemoForumProcess::Host(const QString& name) const {
    return name + QStringLiteral(".localhost:") + QString::number(port_);
}

std::string HttpAnswer::Header(const std::string& name) const {
    const auto it = headers.find(name);
    return it == headers.end() ? std::string() : it->second;
}

namespace {

HttpAnswer toAnswer(const httplib::Result& result) {
    HttpAnswer answer;
    if (!result)
        return answer;
    answer.ok = true;
    answer.status = result->status;
    answer.body = result->body;
    for (const auto& [k, v] : result->headers)
        answer.headers.emplace(k, v);
    return answer;
}

httplib::Headers headersFor(const QString& host, const QString& cookie) {
    httplib::Headers headers{{"Host", host.toStdString()}};
    if (!cookie.isEmpty())
        headers.emplace("Cookie", cookie.toStdString());
    return headers;
}

} // namespace

HttpAnswer HttpGet(int port, const QString& host, const QString& pathAndQuery,
                   const QString& cookie) {
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    return toAnswer(client.Get(pathAndQuery.toStdString().c_str(), headersFor(host, cookie)));
}

HttpAnswer HttpPost(int port, const QString& host, const QString& path,
                    const std::map<QString, QString>& fields, const QString& cookie) {
    QString body;
    for (const auto& [name, value] : fields) {
        if (!body.isEmpty())
            body += QLatin1Char('&');
        body += QString::fromLatin1(QUrl::toPercentEncoding(name)) + QLatin1Char('=') +
                QString::fromLatin1(QUrl::toPercentEncoding(value));
    }
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(10, 0);
    return toAnswer(client.Post(path.toStdString().c_str(), headersFor(host, cookie),
                                body.toStdString(), "application/x-www-form-urlencoded"));
}

QString PathOf(const QString& address) {
    const QUrl url(address);
    QString path = url.path(QUrl::FullyEncoded);
    if (url.hasQuery())
        path += QLatin1Char('?') + url.query(QUrl::FullyEncoded);
    return path;
}

QString HostOf(const QString& address) {
    const QUrl url(address);
    return url.host() + QLatin1Char(':') + QString::number(url.port());
}

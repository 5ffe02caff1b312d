#pragma once

#include <QString>
#include <chrono>
#include <httplib.h>
#include <thread>

// A cpp-httplib server on 127.0.0.1 with a free port, running on its own thread for the
// life of the object. Routes are added through Http() before Start().
class LoopbackServer {
public:
    ~LoopbackServer() {
        server_.stop();
        if (thread_.joinable())
            thread_.join();
    }

    httplib::Server& Http() { return server_; }

    void Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    int Port() const { return port_; }
    QString Host() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    // "http://127.0.0.1:PORT" followed by `path`.
    QString Url(const QString& path) const { return QStringLiteral("http://") + Host() + path; }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
};

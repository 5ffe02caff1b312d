#pragma once

#include "tools/demo-forum/DemoHosts.h"
#include "tools/demo-forum/DemoOptions.h"
#include "tools/demo-forum/FaultPlan.h"
#include "tools/demo-forum/ForumModel.h"
#include "tools/demo-forum/LoginDesk.h"
#include "tools/demo-forum/SitePageRenderer.h"
#include "tools/demo-forum/ThreadPageRenderer.h"

#include <QByteArray>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
class ContentReader;
struct Request;
struct Response;
} // namespace httplib

// One answer before faults are applied to it.
struct DemoReply {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    QByteArray body;
    std::vector<std::pair<std::string, std::string>> headers;
    bool cutHalfway = false; // the whole length is promised, half the body is sent
};

// Serves every virtual host of the sample forum, and the control addresses under
// "/__control/" on any host, from one loopback port.
class ForumServer {
public:
    ForumServer(ForumModel& model, const DemoOptions& options);
    ~ForumServer();
    ForumServer(const ForumServer&) = delete;
    ForumServer& operator=(const ForumServer&) = delete;

    // Binds 127.0.0.1 (the socket listens from here on); the port, or -1.
    int Bind(int port);
    const DemoHosts& Hosts() const { return *hosts_; }
    // Answers requests until Stop (which any thread may call, at any time).
    bool Serve();
    void Stop();

private:
    void Configure(httplib::Server& server, int* listenSocket);
    void Handle(const httplib::Request& request, httplib::Response& response,
                const std::string& body);
    DemoReply Route(DemoHost host, const QString& path, const httplib::Request& request,
                    const std::string& body);
    DemoReply Control(const QString& path, const httplib::Request& request);
    DemoReply ThreadPageReply(DemoHost host, const QString& path, const httplib::Request& request,
                              bool* handled);
    DemoReply Goto(const httplib::Request& request);
    DemoReply UpdatePackage(const QString& lowerPath) const;
    DemoReply Reply(const httplib::Request& request, const std::string& body);
    DemoReply Passport(const QString& path, const httplib::Request& request,
                       const std::string& body);
    QString LoggedInUser(const httplib::Request& request) const;

    ForumModel& model_;
    DemoOptions options_;
    FaultPlan faults_;
    LoginDesk login_;
    std::unique_ptr<httplib::Server> server_;  // 127.0.0.1
    std::unique_ptr<httplib::Server> server6_; // ::1, when its port is free
    bool bound6_ = false;
    int socket4_ = -1; // the listening sockets, recorded when the library creates them
    int socket6_ = -1;
    std::thread thread6_;
    std::mutex stopMutex_;
    std::condition_variable stopWake_;
    bool stopping_ = false;
    std::unique_ptr<DemoHosts> hosts_;
    std::unique_ptr<ThreadPageRenderer> threads_;
    std::unique_ptr<SitePageRenderer> site_;
};

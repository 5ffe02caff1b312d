#pragma once

#include "tests/server/fetch/LoopbackServer.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// Hostile answers on loopback: a body that never ends, sent as fast as the client takes it
// or one byte at a time. Each stream ends when the client goes away or on Release, so the
// server can always be stopped.
class EndlessAnswers {
public:
    // "/endless/<status>" and "/trickle/<status>" answer with that status.
    EndlessAnswers() {
        server_.Http().Get(R"(/(endless|trickle)/(\d+).*)",
                           [this](const httplib::Request& request, httplib::Response& response) {
                               const bool trickle = request.matches[1] == "trickle";
                               response.status = std::stoi(request.matches[2]);
                               ++started_;
                               response.set_chunked_content_provider(
                                   "text/html", [this, trickle](size_t, httplib::DataSink& sink) {
                                       return Send(sink, trickle);
                                   });
                           });
        server_.Start();
    }
    ~EndlessAnswers() { Release(); }

    QString Url(const QString& path) const { return server_.Url(path); }
    LoopbackServer& Server() { return server_; }
    // Answers begun, and body bytes handed to the network so far.
    int Started() const { return started_.load(); }
    long long BytesSent() const { return sent_.load(); }
    // Ends every stream at its next chunk.
    void Release() { released_ = true; }

private:
    bool Send(httplib::DataSink& sink, bool trickle) {
        if (released_)
            return false;
        if (trickle) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (released_ || !sink.write("x", 1))
                return false;
            ++sent_;
            return true;
        }
        static const std::string chunk(64 * 1024, 'e');
        if (!sink.write(chunk.data(), chunk.size()))
            return false;
        sent_ += static_cast<long long>(chunk.size());
        return true;
    }

    LoopbackServer server_;
    std::atomic<int> started_{0};
    std::atomic<long long> sent_{0};
    std::atomic<bool> released_{false};
};

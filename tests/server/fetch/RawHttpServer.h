#pragma once

#include <QByteArray>
#include <QList>
#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// A loopback listener that records each request exactly as it arrived on the wire (header
// order included) and either answers with a fixed reply or keeps the connection open silently.
class RawHttpServer {
public:
    explicit RawHttpServer(QByteArray reply) : reply_(std::move(reply)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~RawHttpServer() {
        stop_ = true;
        thread_.join();
        for (int fd : open_)
            ::close(fd);
        ::close(listener_);
    }

    int Port() const { return port_; }
    QList<QByteArray> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            QByteArray request;
            char chunk[4096];
            while (!request.contains("\r\n\r\n")) {
                pollfd c{client, POLLIN, 0};
                if (::poll(&c, 1, 2000) <= 0)
                    break;
                const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
                if (n <= 0)
                    break;
                request.append(chunk, n);
            }
            {
                std::lock_guard lock(mutex_);
                requests_.append(request);
            }
            if (reply_.isEmpty()) {
                open_.push_back(client); // never answer
            } else {
                ::send(client, reply_.constData(), size_t(reply_.size()), MSG_NOSIGNAL);
                ::close(client);
            }
        }
    }

    QByteArray reply_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    QList<QByteArray> requests_;
    std::vector<int> open_;
};

// A loopback port on which nothing listens.
inline int ClosedLoopbackPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

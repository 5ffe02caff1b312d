#include "common/CommandChannel.h"

#include "common/ChannelSocketPath.h"
#include "common/Log.h"
#include "common/ProcessInstance.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Owns one socket descriptor.
class SocketFd {
public:
    explicit SocketFd(int fd) : fd_(fd) {}
    ~SocketFd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    SocketFd(const SocketFd&) = delete;
    SocketFd& operator=(const SocketFd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Connects without ever blocking: a listener whose queue of unaccepted connections is full
// (a peer that has stopped accepting) answers EAGAIN at once instead of holding this thread.
// -1 with errno set on failure.
int connectTo(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || name.size() >= static_cast<int>(sizeof address.sun_path)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    // A listener of another user (one who took the socket's place) gets nothing, least of
    // all a login record; to the sender it is as if the peer were missing.
    if (!PeerIsSameUser(fd)) {
        ::close(fd);
        Log(QStringLiteral("Channel peer of another user refused: ") + path, LogError);
        errno = EACCES;
        return -1;
    }
    return fd;
}

// Waits until the descriptor is ready for `events` or the deadline passes.
bool waitReady(int fd, short events, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry{fd, events, 0};
        const int n = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0;
    }
}

bool sendAll(int fd, const void* data, size_t size,
             std::chrono::steady_clock::time_point deadline) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitReady(fd, POLLOUT, deadline))
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

CommandChannel::CommandChannel() = default;

CommandChannel::~CommandChannel() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stateChanged_.notify_all();
    wake_.Set();
    if (sender_.joinable())
        sender_.join();
}

CommandChannel& CommandChannel::Process() {
    return *ProcessInstance<CommandChannel>::Get();
}

void CommandChannel::StartChannel(const QString& peerTitle) {
    {
        std::lock_guard lock(mutex_);
        peerTitle_ = peerTitle;
        peerPath_ = peerTitle.isEmpty() ? QString() : ChannelSocketPath(peerTitle);
    }
    FindPeer();
    if (!sender_.joinable())
        sender_ = std::thread([this] { SenderLoop(); });
}

void CommandChannel::SetPeerMissingCallback(std::function<void(int)> callback) {
    std::lock_guard lock(mutex_);
    peerMissing_ = std::move(callback);
}

void CommandChannel::Queue(std::deque<PendingRecord>& queue, PendingRecord record, bool atFront) {
    {
        std::lock_guard lock(mutex_);
        if (atFront)
            queue.push_front(std::move(record));
        else
            queue.push_back(std::move(record));
    }
    wake_.Set();
}

void CommandChannel::QueueSmall(const SmallMessage& record, bool atFront) {
    auto bytes = std::make_shared<LargeMessage>();
    std::memcpy(bytes->bytes, &record, kSmallMessageSize);
    Queue(small_, {std::move(bytes), kSmallMessageSize, record.code}, atFront);
}

void CommandChannel::QueueLarge(const LargeMessage& record, bool atFront) {
    Queue(large_, {std::make_shared<LargeMessage>(record), kLargeMessageSize, record.Code()},
          atFront);
}

int CommandChannel::FindPeer() const {
    QString path;
    {
        std::lock_guard lock(mutex_);
        if (peerTitle_.isEmpty())
            return PeerTitleEmpty;
        path = peerPath_;
    }
    SocketFd fd(connectTo(path));
    // A listener that does not take connections now still exists.
    return fd.get() >= 0 || errno == EAGAIN ? PeerFound : PeerMissing;
}

int CommandChannel::Deliver(const PendingRecord& record) const {
    QString path;
    {
        std::lock_guard lock(mutex_);
        if (peerTitle_.isEmpty())
            return PeerTitleEmpty;
        path = peerPath_;
    }
    SocketFd fd(connectTo(path));
    if (fd.get() < 0)
        return errno == EAGAIN ? PeerSilent : PeerMissing;
    // A peer that takes the record but never answers (hung, stopped) must not hold the
    // channel: past the bound the record counts as not delivered and is tried again.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ackTimeoutMs_.load());
    const uint32_t length = static_cast<uint32_t>(record.size); // little-endian host
    if (!sendAll(fd.get(), &length, sizeof length, deadline) ||
        !sendAll(fd.get(), record.bytes->bytes, length, deadline))
        return std::chrono::steady_clock::now() >= deadline ? PeerSilent : PeerMissing;
    // The peer answers once its handler has returned; no answer means not delivered.
    unsigned char ack = 0;
    for (;;) {
        if (!waitReady(fd.get(), POLLIN, deadline))
            return PeerSilent;
        const ssize_t n = ::recv(fd.get(), &ack, 1, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n == 1 ? PeerFound : PeerMissing;
    }
}

void CommandChannel::SleepRetry() {
    std::unique_lock lock(mutex_);
    stateChanged_.wait_for(lock, std::chrono::milliseconds(retryIntervalMs_),
                           [this] { return stopping_; });
}

void CommandChannel::DrainQueue(std::deque<PendingRecord>& queue) {
    for (;;) {
        PendingRecord record;
        {
            std::lock_guard lock(mutex_);
            if (stopping_ || queue.empty())
                return;
            record = std::move(queue.front());
            queue.pop_front();
            delivering_ = true;
        }
        const int result = Deliver(record);
        if (result == PeerFound) {
            Log(QStringLiteral("SendData = ") + CommandName(record.code));
            {
                std::lock_guard lock(mutex_);
                delivering_ = false;
            }
            stateChanged_.notify_all();
            continue;
        }
        if (result == PeerSilent) {
            // The peer is there but did not answer: retried like a missing peer, without
            // the callback, which would restart or end a program that still runs.
            Log(QStringLiteral("SendData no answer = ") + CommandName(record.code), LogWarn);
        } else {
            std::function<void(int)> callback;
            {
                std::lock_guard lock(mutex_);
                callback = peerMissing_;
            }
            if (callback)
                callback(result);
        }
        {
            std::lock_guard lock(mutex_);
            queue.push_front(std::move(record));
            delivering_ = false;
        }
        wake_.Set();
        SleepRetry();
    }
}

void CommandChannel::SenderLoop() {
    for (;;) {
        wake_.Wait();
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
        }
        DrainQueue(small_);
        DrainQueue(large_);
        stateChanged_.notify_all();
    }
}

bool CommandChannel::WaitUntilIdle(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return stateChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return small_.empty() && large_.empty() && !delivering_;
    });
}

#include "common/ChannelSocketPath.h"
#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestPaths.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A peer process started for one test, ended with it.
class PeerProcess {
public:
    PeerProcess(const TempHome& home, QStringList extra = {})
        : out_(home.File(QStringLiteral("received.txt"))) {
        QStringList args{QStringLiteral("--home"),  home.Path(),
                         QStringLiteral("--title"), QStringLiteral("Peer"),
                         QStringLiteral("--out"),   out_};
        process_.start(BinaryPath(QStringLiteral("channel_peer")), args + extra);
        ready_ = process_.waitForStarted(5000) && process_.waitForReadyRead(5000) &&
                 process_.readLine().trimmed() == "ready";
    }
    ~PeerProcess() {
        process_.kill();
        process_.waitForFinished(3000);
    }
    bool Ready() const { return ready_; }

    QStringList Lines() const {
        QFile file(out_);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Waits until the peer has recorded `count` records.
    bool WaitForLines(int count, int timeoutMs = 5000) const {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (Clock::now() < deadline) {
            if (Lines().size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    QString out_;
    QProcess process_;
    bool ready_ = false;
};

class CallbackLog {
public:
    void Add(int reason) {
        std::lock_guard lock(mutex_);
        calls_.push_back({reason, Clock::now()});
    }
    std::vector<std::pair<int, Clock::time_point>> Calls() {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<int, Clock::time_point>> calls_;
};

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }
    TempHome home;
};

TEST_F(ChannelTest, MissingPeerIsRetriedEverySecondAndGetsTheRecordOnceItStarts) {
    CallbackLog callbacks;
    CommandChannel channel;
    channel.SetPeerMissingCallback([&](int reason) { callbacks.Add(reason); });
    channel.StartChannel(QStringLiteral("Peer"));
    EXPECT_EQ(channel.FindPeer(), CommandChannel::PeerMissing);
    channel.QueueSmall(MakeSmall(CDTRefresh, 5));

    std::this_thread::sleep_for(std::chrono::milliseconds(2300));
    const auto before = callbacks.Calls();
    ASSERT_GE(before.size(), 2u);
    ASSERT_LE(before.size(), 4u);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].first, CommandChannel::PeerMissing);
        if (i > 0) {
            const auto gap = before[i].second - before[i - 1].second;
            EXPECT_GE(gap, std::chrono::milliseconds(900));
            EXPECT_LE(gap, std::chrono::milliseconds(1500));
        }
    }

    PeerProcess peer(home);
    ASSERT_TRUE(peer.Ready());
    const auto started = Clock::now();
    ASSERT_TRUE(peer.WaitForLines(1));
    EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(1300)); // the next attempt
    ASSERT_TRUE(channel.WaitUntilIdle(2000));
    EXPECT_EQ(peer.Lines(), QStringList{QStringLiteral("6 20 5 0")});
    EXPECT_EQ(channel.FindPeer(), CommandChannel::PeerFound);
    EXPECT_EQ(LogLinesContaining(QStringLiteral("SendData = CDTRefresh")).size(), 1);
}

TEST_F(ChannelTest, EmptyPeerTitleReportsReasonOne) {
    CallbackLog callbacks;
    CommandChannel channel;
    channel.SetPeerMissingCallback([&](int reason) { callbacks.Add(reason); });
    channel.StartChannel(QString());
    EXPECT_EQ(channel.FindPeer(), CommandChannel::PeerTitleEmpty);
    channel.QueueSmall(MakeSmall(CDTFindSvr));
    const auto deadline = Clock::now() + std::chrono::seconds(3);
    while (callbacks.Calls().empty() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(callbacks.Calls().empty());
    EXPECT_EQ(callbacks.Calls().front().first, CommandChannel::PeerTitleEmpty);
    EXPECT_FALSE(channel.WaitUntilIdle(50)); // the record is still waiting, not lost
}

TEST_F(ChannelTest, FrontInsertionOvertakesAndSmallRecordsGoBeforeLarge) {
    PeerProcess peer(home, {QStringLiteral("--delay-first-ms"), QStringLiteral("600")});
    ASSERT_TRUE(peer.Ready());
    CommandChannel channel;
    channel.StartChannel(QStringLiteral("Peer"));

    channel.QueueSmall(MakeSmall(CDTRefresh, 100)); // held in the peer's handler for a while
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto add = MakeRecord<AddFocusRequest>(CDTAddFocusWebpage);
    add.address.Set(QStringLiteral("http://bbs.tianya.cn/post-a-1-1.shtml"));
    channel.QueueLarge(ToLarge(add));
    channel.QueueSmall(MakeSmall(CDTRefresh, 1));
    channel.QueueSmall(MakeSmall(CDTRefresh, 2));
    channel.QueueSmall(MakeSmall(CDTNewGetWebpage, 3), true);

    ASSERT_TRUE(peer.WaitForLines(5));
    ASSERT_TRUE(channel.WaitUntilIdle(2000));
    EXPECT_EQ(peer.Lines(), (QStringList{QStringLiteral("6 20 100 0"), QStringLiteral("2 20 3 0"),
                                         QStringLiteral("6 20 1 0"), QStringLiteral("6 20 2 0"),
                                         QStringLiteral("1 99208 0 37")}));
    EXPECT_EQ(LogLinesContaining(QStringLiteral("SendData = ")).size(), 5);
}

// Raw connections the way a broken or hostile program would make them.
class RawClient {
public:
    explicit RawClient(const QString& path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        timeval limit{3, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    }
    ~RawClient() { ::close(fd_); }
    bool Connected() const { return connected_; }
    void Send(const void* data, size_t size) {
        ASSERT_EQ(::send(fd_, data, size, MSG_NOSIGNAL), static_cast<ssize_t>(size));
    }
    void SendLength(uint32_t length) { Send(&length, 4); }
    // 1 when acknowledged, 0 when the peer closed without an answer, -1 on time-out.
    int Answer() {
        unsigned char ack = 0;
        const ssize_t n = ::recv(fd_, &ack, 1, 0);
        return n == 1 ? 1 : (n == 0 ? 0 : -1);
    }
    int fd() const { return fd_; }

private:
    int fd_ = -1;
    bool connected_ = false;
};

// A program that takes connections on a channel socket and reads what comes but never
// answers (hung, or stopped with its socket open). Its connections stay open until it ends.
class MutePeer {
public:
    explicit MutePeer(const QString& path) : path_(QFile::encodeName(path)) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path_.constData(), static_cast<size_t>(path_.size()));
        ::unlink(path_.constData());
        listening_ =
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener_, 16) == 0;
        worker_ = std::thread([this] { Serve(); });
    }
    ~MutePeer() {
        StopListening();
        for (int fd : connections_)
            ::close(fd);
    }
    bool Listening() const { return listening_; }
    int Accepted() const { return accepted_.load(); }
    // Frees the socket's name for another program; the connections taken stay open.
    void StopListening() {
        if (!worker_.joinable())
            return;
        stop_ = true;
        worker_.join();
        ::close(listener_);
        ::unlink(path_.constData());
    }

private:
    void Serve() {
        char sink[4096];
        while (!stop_) {
            const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (fd >= 0) {
                connections_.push_back(fd);
                ++accepted_;
            }
            for (int c : connections_)
                while (::recv(c, sink, sizeof sink, 0) > 0) {
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    QByteArray path_;
    int listener_ = -1;
    bool listening_ = false;
    std::vector<int> connections_;
    std::atomic<int> accepted_{0};
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

TEST_F(ChannelTest, PeerThatNeverAcknowledgesDoesNotHoldTheChannel) {
    MutePeer mute(ChannelSocketPath(QStringLiteral("Peer")));
    ASSERT_TRUE(mute.Listening());
    CallbackLog callbacks;
    CommandChannel channel;
    channel.SetAckTimeoutMs(300);
    channel.SetPeerMissingCallback([&](int reason) { callbacks.Add(reason); });
    channel.StartChannel(QStringLiteral("Peer"));
    channel.QueueSmall(MakeSmall(CDTRefresh, 7));

    // Each attempt ends at the bound and the record is tried again; it is not delivered.
    const QString noAnswer = QStringLiteral("SendData no answer = CDTRefresh");
    const auto deadline = Clock::now() + std::chrono::seconds(8);
    while (LogLinesContaining(noAnswer).size() < 2 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(LogLinesContaining(noAnswer).size(), 2) << "the sender stays in its first attempt";
    EXPECT_GE(mute.Accepted(), 2);
    EXPECT_FALSE(channel.WaitUntilIdle(0));
    EXPECT_TRUE(LogLinesContaining(QStringLiteral("SendData = CDTRefresh")).isEmpty());
    // The peer is there, so nothing restarts or ends a program over it.
    EXPECT_TRUE(callbacks.Calls().empty());

    // The program answers again (here: a working one in its place); the record arrives once.
    mute.StopListening();
    PeerProcess peer(home);
    ASSERT_TRUE(peer.Ready());
    ASSERT_TRUE(peer.WaitForLines(1, 5000));
    ASSERT_TRUE(channel.WaitUntilIdle(3000));
    EXPECT_EQ(peer.Lines(), QStringList{QStringLiteral("6 20 7 0")});
}

TEST_F(ChannelTest, BrokenInputIsRefusedAndTheReceiverKeepsWorking) {
    PeerProcess peer(home, {QStringLiteral("--stall-ms"), QStringLiteral("300")});
    ASSERT_TRUE(peer.Ready());
    const QString path = ChannelSocketPath(QStringLiteral("Peer"));

    { // a length that is neither record size
        RawClient client(path);
        ASSERT_TRUE(client.Connected());
        client.SendLength(7);
        client.Send("garbage", 7);
        EXPECT_EQ(client.Answer(), 0);
    }
    { // a huge length
        RawClient client(path);
        client.SendLength(0x7fffffff);
        EXPECT_EQ(client.Answer(), 0);
    }
    { // a record that never completes
        RawClient client(path);
        client.SendLength(20);
        client.Send("0123456789", 10);
        EXPECT_EQ(client.Answer(), 0);
    }
    { // a text without its terminator is read up to its array's end, and acknowledged
        RawClient client(path);
        std::vector<unsigned char> record(kLargeMessageSize, 0);
        const int32_t code = CDTAddFocusWebpage;
        std::memcpy(record.data(), &code, 4);
        for (int i = 0; i < 1025; ++i) {
            const char16_t c = u'x';
            std::memcpy(record.data() + 12 + 2 * i, &c, 2);
        }
        for (size_t i = 2062; i < record.size(); i += 2) {
            const char16_t c = u'y';
            std::memcpy(record.data() + i, &c, 2);
        }
        client.SendLength(kLargeMessageSize);
        client.Send(record.data(), record.size());
        EXPECT_EQ(client.Answer(), 1);
    }
    if (::getuid() == 0) { // a peer of another user, let through the file modes on purpose
        for (const QString& folder : {home.Path(), home.Path() + QStringLiteral("run")})
            ::chmod(QFile::encodeName(folder).constData(), 0711);
        ::chmod(QFile::encodeName(path).constData(), 0777);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setuid(65534) != 0)
                ::_exit(3);
            RawClient client(path);
            if (!client.Connected())
                ::_exit(4);
            const SmallMessage small = MakeSmall(CDTRefresh, 77);
            uint32_t length = 20;
            ::send(client.fd(), &length, 4, MSG_NOSIGNAL);
            ::send(client.fd(), &small, 20, MSG_NOSIGNAL);
            ::_exit(client.Answer() == 1 ? 1 : 0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    CommandChannel channel;
    channel.StartChannel(QStringLiteral("Peer"));
    channel.QueueSmall(MakeSmall(CDTRefresh, 9));
    ASSERT_TRUE(peer.WaitForLines(2));
    EXPECT_EQ(peer.Lines(),
              (QStringList{QStringLiteral("1 99208 0 1025"), QStringLiteral("6 20 9 0")}));
}

TEST_F(ChannelTest, SocketPathFallsBackWhenTheHomeIsTooLong) {
    EXPECT_EQ(ChannelSocketPath(QStringLiteral("Quillmere")),
              home.Path() + QStringLiteral("run/Quillmere"));
    TempHome deep;
    const QString longHome = deep.Path() + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(SetProgramDirectory(longHome));
    const QString path = ChannelSocketPath(QStringLiteral("QuillmereServerMainDlg"));
    EXPECT_LE(QFile::encodeName(path).size(), kMaxSocketPathBytes);
    EXPECT_TRUE(path.contains(QStringLiteral("/quillmere-"))) << path.toStdString();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/QuillmereServerMainDlg")));
    // The same home always gives the same folder, so any tool can find a running program.
    EXPECT_EQ(ChannelSocketPath(QStringLiteral("QuillmereServerMainDlg")), path);
}

} // namespace

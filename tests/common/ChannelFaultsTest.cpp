// The channel against an unlucky or hostile machine: a flood of idle connections under a low
// descriptor limit, and another local user who took the socket folder or the socket's place.
#include "common/ChannelReceiver.h"
#include "common/ChannelSocketPath.h"
#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/ProgramDirectory.h"
#include "common/ProgramStart.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t kOtherUser = 65534;

// Pumps the event loop until `done` holds or the time is up.
template <typename Condition> bool PumpUntil(Condition done, int limitMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

int OpenDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)
                                .size());
}

sockaddr_un AddressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<size_t>(name.size()));
    return address;
}

// A child process that opens `count` idle connections to `path` (raising its own descriptor
// limit first), reports on `done[1]` and holds them until `hold[1]` is closed.
pid_t FloodFrom(const QString& path, int count, const int done[2], const int hold[2]) {
    const sockaddr_un address = AddressOf(path);
    const pid_t child = ::fork();
    if (child != 0)
        return child;
    ::close(done[0]);
    ::close(hold[1]); // else the child would hold its own pipe open
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    int opened = 0;
    for (int i = 0; i < count; ++i) {
        for (int attempt = 0; attempt < 500; ++attempt) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
            if (fd < 0)
                break;
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
                ++opened;
                break;
            }
            const int error = errno;
            ::close(fd);
            if (error != EAGAIN)
                break; // the listener is gone
            ::usleep(2000);
        }
    }
    const char byte = 1;
    (void)!::write(done[1], &byte, 1);
    char ignored;
    (void)!::read(hold[0], &ignored, 1);
    ::_exit(opened > 0 ? 0 : 1);
}

class ChannelFaultsTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLog(); }
    TempHome home;
};

// A thousand idle connections under a descriptor limit far below that: the receiver holds no
// more than its cap, never loses its listener, and the next real record is handled.
TEST_F(ChannelFaultsTest, AFloodOfIdleConnectionsNeverDeafensTheReceiver) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    int handled = 0;
    ChannelReceiver receiver;
    ASSERT_TRUE(receiver.Listen(QStringLiteral("Flood"), [&](const LargeMessage& record, int) {
        if (record.Code() == CDTRefresh)
            ++handled;
    }));
    const QString path = receiver.SocketPath();

    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(OpenDescriptors() + 150);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    int done[2], hold[2];
    ASSERT_EQ(::pipe2(done, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(hold, O_CLOEXEC), 0);
    const pid_t flood = FloodFrom(path, 1000, done, hold);
    ASSERT_GT(flood, 0);
    int mostHeld = 0;
    const bool flooded = PumpUntil(
        [&] {
            mostHeld = std::max(mostHeld, receiver.HeldConnections());
            pollfd p{done[0], POLLIN, 0};
            return ::poll(&p, 1, 0) > 0;
        },
        60000);
    // Long enough for the listener check to have run after the flood.
    PumpUntil([] { return false; }, kListenerCheckMs + 500);
    std::cout << "connections held at most during the flood: " << mostHeld << '\n';

    EXPECT_TRUE(flooded);
    EXPECT_LE(mostHeld, kMaxChannelConnections);
    EXPECT_TRUE(receiver.IsListening());
    EXPECT_TRUE(QFile::exists(path));

    CommandChannel sender;
    sender.StartChannel(QStringLiteral("Flood"));
    sender.QueueSmall(MakeSmall(CDTRefresh, 5));
    EXPECT_TRUE(PumpUntil([&] { return handled == 1; }, 15000));

    ::setrlimit(RLIMIT_NOFILE, &saved);
    ::close(hold[1]);
    int status = 0;
    ::waitpid(flood, &status, 0);
    for (int fd : {done[0], done[1], hold[0]})
        ::close(fd);
}

TEST_F(ChannelFaultsTest, TheSoftDescriptorLimitIsRaisedToTheHardLimit) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (saved.rlim_max <= 64)
        GTEST_SKIP() << "hard limit too low to lower";
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    RaiseDescriptorLimit();
    rlimit now{};
    ::getrlimit(RLIMIT_NOFILE, &now);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(now.rlim_cur, saved.rlim_max);
}

// The fallback folder in a place every user writes to is used only when it is ours, a real
// folder, and private; anything else is refused with a log line.
TEST_F(ChannelFaultsTest, TheSharedFallbackFolderMustBeOursAndPrivate) {
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    TempHome deep;
    QString longHome = deep.Path() + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(SetProgramDirectory(longHome));
    longHome = ProgramDirectory();
    longHome.chop(1);
    const QString folder =
        runtime.path() + QStringLiteral("/quillmere-") +
        QString::fromLatin1(QCryptographicHash::hash(longHome.toUtf8(), QCryptographicHash::Sha256)
                                .toHex()
                                .left(16));
    const QByteArray name = QFile::encodeName(folder);
    QTemporaryDir elsewhere;

    struct Case {
        const char* what;
        std::function<bool()> prepare; // false: the case cannot be set up here
        bool accepted;
    } cases[] = {
        {"made here", [] { return true; }, true},
        {"ours and private", [&] { return ::mkdir(name.constData(), 0700) == 0; }, true},
        {"ours but open to all",
         [&] {
             return ::mkdir(name.constData(), 0700) == 0 && ::chmod(name.constData(), 0777) == 0;
         },
         false},
        {"a link to a folder of ours",
         [&] {
             return ::symlink(QFile::encodeName(elsewhere.path()).constData(), name.constData()) ==
                    0;
         },
         false},
        {"a file", [&] { return QFile(folder).open(QIODevice::WriteOnly); }, false},
        {"another user's",
         [&] {
             return ::getuid() == 0 && ::mkdir(name.constData(), 0700) == 0 &&
                    ::chown(name.constData(), kOtherUser, kOtherUser) == 0;
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(name.constData());
        ::rmdir(name.constData());
        if (!c.prepare()) {
            std::cout << "not set up here: " << c.what << '\n';
            continue;
        }
        ClearLog();
        const QString path = ChannelSocketPath(QStringLiteral("QuillmereServerMainDlg"));
        if (c.accepted) {
            EXPECT_EQ(path, folder + QStringLiteral("/QuillmereServerMainDlg"));
            struct stat info {};
            ASSERT_EQ(::lstat(name.constData(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0700u);
        } else {
            EXPECT_TRUE(path.isEmpty()) << path.toStdString();
            EXPECT_FALSE(LogLinesContaining(QStringLiteral("Channel folder refused")).isEmpty());
            ChannelReceiver receiver;
            EXPECT_FALSE(receiver.Listen(QStringLiteral("QuillmereServerMainDlg"), {}));
        }
    }
    ::unlink(name.constData());
    ::rmdir(name.constData());
    if (previous.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", previous);
}

// Another user listening where the peer should be gets no record: the sender checks who
// listens before it writes anything, and keeps the record for the real peer.
TEST_F(ChannelFaultsTest, NoRecordGoesToAListenerOfAnotherUser) {
    if (::getuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    const QString path = ChannelSocketPath(QStringLiteral("Peer"));
    for (const QString& folder : {home.Path(), home.Path() + QStringLiteral("run")})
        ::chmod(QFile::encodeName(folder).constData(), 0777);
    const sockaddr_un address = AddressOf(path);
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        // Listens as another user and reports whether any byte of a record reached it.
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(3);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener, 8) != 0)
            ::_exit(4);
        const char byte = 1;
        (void)!::write(ready[1], &byte, 1);
        bool received = false;
        for (int round = 0; round < 40 && !received; ++round) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0)
                continue;
            const int client = ::accept(listener, nullptr, nullptr);
            pollfd c{client, POLLIN, 0};
            char data[32];
            if (::poll(&c, 1, 200) > 0 && ::recv(client, data, sizeof data, 0) > 0)
                received = true;
            ::close(client);
        }
        ::_exit(received ? 1 : 0);
    }
    ASSERT_GT(other, 0);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);

    CommandChannel sender;
    sender.StartChannel(QStringLiteral("Peer"));
    sender.QueueSmall(MakeSmall(CDTRefresh, 7));
    int status = 0;
    ::waitpid(other, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user's listener received a record";
    EXPECT_FALSE(
        LogLinesContaining(QStringLiteral("Channel peer of another user refused")).isEmpty());

    // The record waited and reaches the real peer once it listens.
    ::unlink(QFile::encodeName(path).constData());
    int handled = 0;
    ChannelReceiver receiver;
    ASSERT_TRUE(receiver.Listen(QStringLiteral("Peer"), [&](const LargeMessage& record, int) {
        if (record.Code() == CDTRefresh && MakeSmall(CDTRefresh, 7).a == 7)
            ++handled;
    }));
    EXPECT_TRUE(PumpUntil([&] { return handled == 1; }, 15000));
}

} // namespace

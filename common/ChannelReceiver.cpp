#include "common/ChannelReceiver.h"

#include "common/ChannelSocketPath.h"
#include "common/Log.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool peerIsSameUser(QLocalSocket* socket) {
    return PeerIsSameUser(static_cast<int>(socket->socketDescriptor()));
}

} // namespace

ChannelReceiver::ChannelReceiver(QObject* parent) : QObject(parent) {}

ChannelReceiver::~ChannelReceiver() {
    Close();
}

bool ChannelReceiver::Listen(const QString& title, Handler handler) {
    Close();
    handler_ = std::move(handler);
    path_ = ChannelSocketPath(title);
    if (!OpenListener())
        return false;
    watch_ = new QTimer(this);
    connect(watch_, &QTimer::timeout, this, &ChannelReceiver::KeepListening);
    watch_->start(kListenerCheckMs);
    return true;
}

bool ChannelReceiver::OpenListener() {
    delete server_;
    server_ = nullptr;
    if (path_.isEmpty())
        return false;
    // A socket file left by a crashed run; the single-instance lock says it is nobody's now.
    QLocalServer::removeServer(path_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path_)) {
        Log(QStringLiteral("Channel listen failed: ") + path_ + QStringLiteral(" ") +
                server_->errorString(),
            LogError);
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &ChannelReceiver::Accept);
    return true;
}

// The listener closes itself (and deletes its socket file) when an accept fails, for
// example for lack of descriptors; without this the program would run on deaf.
void ChannelReceiver::KeepListening() {
    if (IsListening())
        return;
    Log(QStringLiteral("Channel listener lost, opening it again: ") + path_, LogWarn);
    OpenListener();
}

bool ChannelReceiver::IsListening() const {
    return server_ && server_->isListening();
}

void ChannelReceiver::Close() {
    delete watch_;
    watch_ = nullptr;
    if (server_) {
        server_->close();
        delete server_;
        server_ = nullptr;
        QLocalServer::removeServer(path_);
    }
}

// Keeps the connection in the held list while it lives; beyond the cap the oldest connection
// that has not delivered its record yet gives way.
void ChannelReceiver::Hold(QLocalSocket* socket) {
    held_.push_back(socket);
    connect(socket, &QObject::destroyed, this, [this, socket] { held_.remove(socket); });
    if (static_cast<int>(held_.size()) <= kMaxChannelConnections)
        return;
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        QLocalSocket* oldest = *it;
        if (oldest == socket || oldest->property("done").toBool())
            continue;
        held_.erase(it);
        Refuse(oldest, QStringLiteral("too many connections"));
        return;
    }
}

void ChannelReceiver::Refuse(QLocalSocket* socket, const QString& why) {
    Log(QStringLiteral("Channel refused a record: ") + why, LogWarn);
    socket->abort();
    socket->deleteLater();
}

void ChannelReceiver::Accept() {
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        if (!peerIsSameUser(socket)) {
            Refuse(socket, QStringLiteral("peer of another user"));
            continue;
        }
        Hold(socket);
        auto* stall = new QTimer(socket);
        stall->setSingleShot(true);
        connect(stall, &QTimer::timeout, this, [this, socket] {
            if (socket->bytesAvailable() > 0 || socket->property("partial").toBool())
                Refuse(socket, QStringLiteral("record not complete in time"));
            else {
                socket->abort();
                socket->deleteLater();
            }
        });
        stall->start(stallLimitMs_);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            ReadFrom(socket);
    }
}

void ChannelReceiver::ReadFrom(QLocalSocket* socket) {
    if (socket->property("done").toBool())
        return;
    socket->setProperty("partial", true);
    if (socket->bytesAvailable() < 4)
        return;
    uint32_t length = 0;
    socket->peek(reinterpret_cast<char*>(&length), 4);
    if (length != static_cast<uint32_t>(kSmallMessageSize) &&
        length != static_cast<uint32_t>(kLargeMessageSize)) {
        Refuse(socket, QStringLiteral("bad length %1").arg(length));
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(length))
        return;
    socket->read(4);
    auto record = std::make_unique<LargeMessage>();
    std::memset(record->bytes, 0, sizeof record->bytes);
    socket->read(reinterpret_cast<char*>(record->bytes), length);
    socket->setProperty("done", true);
    Log(QStringLiteral("OnCopyData = ") + CommandName(record->Code()));
    QPointer<QLocalSocket> guard(socket);
    if (handler_)
        handler_(*record, static_cast<int>(length));
    if (!guard) // the handler closed the window and with it this connection
        return;
    // The acknowledgement tells the sender the handler has returned.
    const char ack = 1;
    socket->write(&ack, 1);
    socket->flush();
    socket->disconnectFromServer();
}

#pragma once

#include "common/Records.h"

#include <QObject>
#include <QString>

#include <functional>
#include <list>

class QLocalServer;
class QLocalSocket;
class QTimer;

// Records arrive one per connection and are handled one at a time: a few connections at once
// are all a sender ever needs.
inline constexpr int kMaxChannelConnections = 64;
// How often the receiver makes sure it still listens.
inline constexpr int kListenerCheckMs = 1000;

// The receiving side of a program's main window: listens on the socket named after the
// window's title and hands each record to the handler on this object's thread (the user
// interface thread), then acknowledges it. A peer of another user, a length other than the
// two record sizes, or a connection that stalls is refused with a log line. At most
// kMaxChannelConnections are held at once (a flood of idle connections loses its oldest),
// and a listener that the system closed (out of descriptors) is opened again.
class ChannelReceiver : public QObject {
    Q_OBJECT
public:
    // `record` is zero-padded to the large size; a small record fills its first 20 bytes.
    using Handler = std::function<void(const LargeMessage& record, int size)>;

    explicit ChannelReceiver(QObject* parent = nullptr);
    ~ChannelReceiver() override;

    // Starts listening as the window `title`. False when the socket cannot be made.
    bool Listen(const QString& title, Handler handler);
    void Close();
    QString SocketPath() const { return path_; }

    // How long a connection may take to deliver its record.
    void SetStallLimitMs(int ms) { stallLimitMs_ = ms; }
    bool IsListening() const;
    int HeldConnections() const { return static_cast<int>(held_.size()); }

private:
    bool OpenListener();
    void KeepListening();
    void Hold(QLocalSocket* socket);
    void Accept();
    void ReadFrom(QLocalSocket* socket);
    void Refuse(QLocalSocket* socket, const QString& why);

    QLocalServer* server_ = nullptr;
    QTimer* watch_ = nullptr;
    std::list<QLocalSocket*> held_; // oldest first
    QString path_;
    Handler handler_;
    int stallLimitMs_ = 10000;
};

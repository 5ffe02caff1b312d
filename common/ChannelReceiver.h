#pragma once

#include "common/Records.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

// The receiving side of a program's main window: listens on the socket named after the
// window's title and hands each record to the handler on this object's thread (the user
// interface thread), then acknowledges it. A peer of another user, a length other than the
// two record sizes, or a connection that stalls is refused with a log line.
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

private:
    void Accept();
    void ReadFrom(QLocalSocket* socket);
    void Refuse(QLocalSocket* socket, const QString& why);

    QLocalServer* server_ = nullptr;
    QString path_;
    Handler handler_;
    int stallLimitMs_ = 10000;
};

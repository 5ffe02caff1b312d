#pragma once

#include "common/ChannelReceiver.h"
#include "common/CommandChannel.h"

#include <QElapsedTimer>
#include <QList>

#include <functional>
#include <memory>

// Plays the reader for a server under test: listens as the reader's window ("Quillmere"),
// records every record the server sends, and sends commands to the server's window.
class StandInReader {
public:
    struct Received {
        LargeMessage record; // zero-padded; small records fill the first 20 bytes
        int size = 0;
        qint64 atMs = 0; // since the stand-in started
        int Code() const { return record.Code(); }
        SmallMessage Small() const;
    };

    StandInReader();
    bool Listening() const { return listening_; }

    void Send(const SmallMessage& record) { channel_.QueueSmall(record); }
    void Send(const LargeMessage& record) { channel_.QueueLarge(record); }
    // Sends CDTAddFocusWebpage for an address with a label.
    void Follow(const QString& address, const QString& label = {});

    // Pumps events until `done` holds or the time is up; true when it held.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs);
    // Waits for a record with this code (and, when given, matching `accept`) after `from`.
    const Received* WaitFor(int code, int timeoutMs,
                            const std::function<bool(const Received&)>& accept = {},
                            qsizetype from = 0);

    const QList<std::shared_ptr<Received>>& All() const { return received_; }
    QList<const Received*> OfCode(int code) const;
    qint64 ElapsedMs() const { return clock_.elapsed(); }

private:
    ChannelReceiver receiver_;
    CommandChannel channel_;
    QList<std::shared_ptr<Received>> received_;
    QElapsedTimer clock_;
    bool listening_ = false;
};

#pragma once

#include "common/AutoResetEvent.h"
#include "common/Records.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A program's outgoing records: two queues and a sender thread that delivers them one at a
// time to the peer's main window (its socket). A record leaves its queue only after the peer
// acknowledged it; while the peer is missing it stays first in line and is retried every
// second, and the owner hears of each failed attempt through the peer-missing callback.
class CommandChannel {
public:
    // Peer lookup results.
    enum PeerLookup { PeerFound = 0, PeerTitleEmpty = 1, PeerMissing = 2 };

    CommandChannel();
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // The channel of this program, held by the program's owner (ProcessInstance) while it
    // lives.
    static CommandChannel& Process();

    void StartChannel(const QString& peerTitle);
    // Runs on the sender thread, with reason 1 or 2.
    void SetPeerMissingCallback(std::function<void(int)> callback);

    void QueueSmall(const SmallMessage& record, bool atFront = false);
    void QueueLarge(const LargeMessage& record, bool atFront = false);

    int FindPeer() const;

    // Waits until both queues are empty and nothing is being delivered; false on time-out.
    bool WaitUntilIdle(int timeoutMs);

    int RetryIntervalMs() const { return retryIntervalMs_; }

    // How long the peer may take to acknowledge a record before the attempt counts as not
    // delivered (the peer's handler runs before it answers).
    void SetAckTimeoutMs(int ms) { ackTimeoutMs_ = ms; }

private:
    struct PendingRecord {
        std::shared_ptr<const LargeMessage> bytes; // small records use the first 20 bytes
        int size = 0;
        int code = 0;
    };

    void SenderLoop();
    // Delivers the first record of one queue until that queue is empty (or the channel stops).
    void DrainQueue(std::deque<PendingRecord>& queue);
    // Internal result of an attempt whose peer exists but did not acknowledge in time.
    static constexpr int PeerSilent = 3;
    // One delivery attempt: 0 delivered, else the lookup result that failed, or PeerSilent.
    int Deliver(const PendingRecord& record) const;
    void Queue(std::deque<PendingRecord>& queue, PendingRecord record, bool atFront);
    void SleepRetry();

    mutable std::mutex mutex_; // guards both queues, the callback and the idle state
    std::deque<PendingRecord> small_;
    std::deque<PendingRecord> large_;
    AutoResetEvent wake_;
    std::condition_variable stateChanged_;
    bool delivering_ = false;
    bool stopping_ = false;
    QString peerTitle_;
    QString peerPath_;
    std::function<void(int)> peerMissing_;
    std::thread sender_;
    int retryIntervalMs_ = 1000;
    std::atomic<int> ackTimeoutMs_{10000};
};

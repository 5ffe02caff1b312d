#pragma once

#include "common/ChannelReceiver.h"
#include "common/CommandChannel.h"
#include "reader/ReadingWindows.h"
#include "reader/ServerLink.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Plays the server for the reader's windows: listens as the server's window in the current
// home and keeps every record the reader sends.
class FakeServer {
public:
    FakeServer();
    QList<std::shared_ptr<LargeMessage>> records;
    QList<int> sizes;
    QList<int> Codes() const;
    int CountOf(int code) const;
    // Pumps events until a record of `code` has arrived (beyond `from`); null on time-out.
    const LargeMessage* WaitFor(int code, int timeoutMs = 5000, int from = 0);
    // Lets the reader's channel deliver what is queued.
    void Settle(int ms = 300);

private:
    ChannelReceiver receiver_;
};

// The questions and notices shown, answered from a list (yes unless told otherwise).
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    struct Shown {
        int kind = 0;
        QString text;
        QString caption;
    };
    QList<Shown> shown;
    QList<int> answers; // taken from the front; empty gives yes for questions
    QStringList Texts() const;
};

// The reading windows the list and the dispatcher reach, recorded.
class FakeReadingWindows : public ReadingWindows {
public:
    struct Window : ReadingWindowEvents {
        QStringList calls;
        void OnReplyAnswer(int result, const QString& message) override;
        void OnRefreshDone() override;
        void OnChosenPageFetched(int page, bool stored) override;
        void OnLaterPagesStored(int firstWanted, int lastParsed) override;
        void OnEarlierPagesStored(int firstWanted, int lastParsed) override;
        void OnNewestPagesStored() override;
        void OnPictureStored(const QString& address, const QList<PicturePost>& posts) override;
    };
    QMap<int, std::shared_ptr<Window>> open;
    QStringList calls;
    ReadingWindowEvents* Find(int followNo) override;
    bool ShowOpen(int followNo) override;
    bool Open(int followNo, const QString& title, int pageCount, const QString& userName) override;
    bool GotoPage(int followNo, int page) override;
    bool Close(int followNo) override;
    void DestroyClosed() override;
    void CloseAll() override;
    void SetOnWindowClosed(std::function<void()> onClosed) override { onClosed_ = onClosed; }
    std::function<void()> onClosed_;
};

// A followed thread in the current home's catalogue with `pages` stored; its follow number.
int AddFollow(const QString& title, const QList<int>& pages, int deleteFocus = 1,
              const QString& lastPostTime = {});
// A catalogue row alone, its thread file missing; its follow number.
int AddBareFollow(const QString& title);
// Pumps events for a while.
void Pump(int ms);
// Pumps events until `done` holds; false on time-out.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

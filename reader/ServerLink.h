#pragma once

#include "common/ChannelReceiver.h"
#include "common/Records.h"
#include "reader/SoftUpdate.h"
#include "store/ThreadRecords.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class CommandChannel;

// A login answer as the reader uses it.
struct LoginAnswerInfo {
    int result = 0;
    QString message;
    QImage picture; // the verification picture, null when the answer carries none
};

// The pictures of one thread the server has just stored.
struct PictureStoredInfo {
    int followNo = 0;
    QString address;
    QList<PicturePost> posts;
};

// The reader's end of the channel: the one place that reads and writes raw records. Records
// from the server become typed signals, requests of the reader's windows become records.
// Each record is handled after its delivery has been acknowledged, so a question that waits
// for the user never holds the server's sender.
class ServerLink : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kReaderTitle = "Quillmere";
    static constexpr const char* kServerTitle = "QuillmereServerMainDlg";

    // Sends through `channel`, by default the process's channel.
    explicit ServerLink(CommandChannel* channel = nullptr, QObject* parent = nullptr);
    ~ServerLink() override;

    // Listens as the reader's window and starts the channel towards the server; `startServer`
    // runs on the channel's sender thread whenever the server's window is missing.
    bool Start(std::function<void()> startServer);
    // From now on nothing that arrives is handled, nor even received.
    void SetClosing();
    bool IsClosing() const { return closing_; }
    // How long a delivery may take to arrive whole.
    void SetStallLimitMs(int ms) { receiver_.SetStallLimitMs(ms); }

    // The dispatcher: one record from the server, `size` 20 or 99208.
    void OnCopyData(const LargeMessage& record, int size);

    // Requests.
    void Follow(const QString& address, const QString& label);
    void Login(const QString& userName, const QString& password, const QString& verifyCode);
    void ChangeVerifyCode();
    void FindServer();
    void WriteServerLog();
    void AppExit();
    void ReadWebpage(int followNo);
    void ReadPageRange(int followNo, int firstPage, int lastPage);
    void Refresh(int followNo);
    void FetchChosenPage(int followNo, int page);
    void NeedLaterPages(int followNo, int firstPage, int lastPage);
    void NeedEarlierPages(int followNo, int firstPage, int lastPage);
    void Reply(int followNo, const QString& text);
    // A request the reading window has built itself.
    void QueueSmall(const SmallMessage& record);
    // Waits at most `timeoutMs` for the queued records to be delivered.
    bool Drain(int timeoutMs);

signals:
    void followAnswered(int result, int followNo, const QString& message);
    void pageStored(int followNo, int page);
    void loginAnswered(const LoginAnswerInfo& answer);
    void replyAnswered(int followNo, int result, const QString& message);
    void refreshDone(int followNo);
    void chosenPageFetched(int followNo, int page, bool stored);
    void frontPageRefreshed();
    void threadGone(int followNo);
    void laterPagesStored(int followNo, int firstWanted, int lastParsed);
    void earlierPagesStored(int followNo, int firstWanted, int lastParsed);
    void newestPagesStored(int followNo);
    void serverRunning();
    void pictureStored(const PictureStoredInfo& info);
    void softwareUpdateOffered(const SoftVersionInfo& info);
    void hotRecommendArrived(const QList<HotRecommendItem>& items);

private:
    CommandChannel& channel_;
    ChannelReceiver receiver_;
    bool closing_ = false;
};

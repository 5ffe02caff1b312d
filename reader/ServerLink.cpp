#include "reader/ServerLink.h"

#include "common/CommandChannel.h"
#include "common/Log.h"

#include <memory>

namespace {

LoginAnswerInfo decodeLogin(const LargeMessage& record) {
    const auto answer = FromLarge<LoginAnswer>(record);
    LoginAnswerInfo info;
    info.result = answer.result.Get();
    info.message = answer.message.Get();
    const int width = answer.pictureWidth.Get();
    const int height = answer.pictureHeight.Get();
    const int bytes = answer.pictureBytes.Get();
    // Only a picture whose size agrees with its byte count, within the record, is shown.
    if (bytes > 0 && width > 0 && height > 0 && bytes <= kMaxVerifyPictureBytes &&
        static_cast<qint64>(width) * height * 4 <= bytes) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(image.scanLine(y), answer.picture + static_cast<size_t>(y) * width * 4,
                        static_cast<size_t>(width) * 4);
        info.picture = image;
    }
    return info;
}

PictureStoredInfo decodePictures(const LargeMessage& record) {
    const auto message = FromLarge<GetImgMessage>(record);
    PictureStoredInfo info;
    info.followNo = message.focusPageNo.Get();
    info.address = message.pictureAddress.Get();
    const int count = std::clamp(message.entryCount.Get(), 0, kMaxPicturePostEntries);
    for (int i = 0; i < count; ++i) {
        const PicturePostEntry& entry = message.entries[i];
        info.posts.append({entry.pageNo.Get(), entry.author.Get(), entry.time.Get()});
    }
    return info;
}

} // namespace

ServerLink::ServerLink(CommandChannel* channel, QObject* parent)
    : QObject(parent), channel_(channel ? *channel : CommandChannel::Process()) {}

ServerLink::~ServerLink() {
    channel_.SetPeerMissingCallback({});
}

bool ServerLink::Start(std::function<void()> startServer) {
    const bool listening = receiver_.Listen(
        QString::fromLatin1(kReaderTitle), [this](const LargeMessage& record, int size) {
            // Handled once the sender has its acknowledgement: a handler may ask the user and
            // wait, and the server's sender must not wait with it.
            auto copy = std::make_shared<LargeMessage>(record);
            QMetaObject::invokeMethod(
                this, [this, copy, size] { OnCopyData(*copy, size); }, Qt::QueuedConnection);
        });
    channel_.StartChannel(QString::fromLatin1(kServerTitle));
    channel_.SetPeerMissingCallback([startServer = std::move(startServer)](int reason) {
        if (reason == CommandChannel::PeerMissing && startServer)
            startServer();
    });
    return listening;
}

void ServerLink::SetClosing() {
    closing_ = true;
    receiver_.Close();
    channel_.SetPeerMissingCallback({});
}

void ServerLink::OnCopyData(const LargeMessage& record, int size) {
    if (closing_)
        return;
    const int code = record.Code();
    SmallMessage small{};
    std::memcpy(&small, record.bytes, sizeof small);
    const bool large = size == kLargeMessageSize;
    switch (code) {
    case CDTAddFocusWebpage:
        if (large) {
            const auto answer = FromLarge<AddFocusAnswer>(record);
            emit followAnswered(answer.result.Get(), answer.focusPageNo.Get(),
                                answer.message.Get());
            return;
        }
        break;
    case CDTNewGetWebpage:
        emit pageStored(small.a, small.b);
        return;
    case CDTLogin:
        if (large) {
            emit loginAnswered(decodeLogin(record));
            return;
        }
        break;
    case CDTReply:
        if (large) {
            const auto answer = FromLarge<ReplyAnswer>(record);
            emit replyAnswered(answer.focusPageNo.Get(), answer.result.Get(), answer.message.Get());
            return;
        }
        break;
    case CDTRefresh:
        emit refreshDone(small.a);
        return;
    case CDTUserSet:
        emit chosenPageFetched(small.a, small.b, small.d == 1);
        return;
    case CDTTianyaFocus:
        emit frontPageRefreshed();
        return;
    case CDTNoWebpage:
        emit threadGone(small.a);
        return;
    case CDTReadNeedNext:
        emit laterPagesStored(small.a, small.b, small.c);
        return;
    case CDTReadNeedLast:
        emit earlierPagesStored(small.a, small.b, small.c);
        return;
    case CDTGetAllNewestWebpage:
        emit newestPagesStored(small.a);
        return;
    case CDTSvrRun:
        emit serverRunning();
        return;
    case CDTGetImg:
        if (large) {
            emit pictureStored(decodePictures(record));
            return;
        }
        break;
    case CDTSoftVerUpdate:
        if (large) {
            emit softwareUpdateOffered(SoftVersionOf(record));
            return;
        }
        break;
    case CDTHotRecommend:
        if (large) {
            const std::vector<HotRecommendItem> items = HotRecommendItemsOf(record);
            emit hotRecommendArrived(QList<HotRecommendItem>(items.begin(), items.end()));
            return;
        }
        break;
    default:
        break;
    }
    Log(QStringLiteral("OnCopyData ignored code %1 (%2 bytes)").arg(code).arg(size), LogWarn);
}

void ServerLink::Follow(const QString& address, const QString& label) {
    auto request = MakeRecord<AddFocusRequest>(CDTAddFocusWebpage);
    request.address.Set(address);
    request.label.Set(label);
    channel_.QueueLarge(ToLarge(request));
}

void ServerLink::Login(const QString& userName, const QString& password,
                       const QString& verifyCode) {
    auto request = MakeRecord<LoginRequest>(CDTLogin);
    request.userName.Set(userName);
    request.password.Set(password);
    if (!verifyCode.isEmpty())
        request.verifyCode.Set(verifyCode);
    channel_.QueueLarge(ToLarge(request));
}

void ServerLink::ChangeVerifyCode() {
    channel_.QueueSmall(MakeSmall(CDTChangeVerifyCode));
}

void ServerLink::FindServer() {
    channel_.QueueSmall(MakeSmall(CDTFindSvr));
}

void ServerLink::WriteServerLog() {
    channel_.QueueSmall(MakeSmall(CDTWriteLog));
}

void ServerLink::AppExit() {
    channel_.QueueSmall(MakeSmall(CDTAppExit));
}

void ServerLink::ReadWebpage(int followNo) {
    channel_.QueueSmall(MakeSmall(CDTReadWebpage, followNo));
}

void ServerLink::ReadPageRange(int followNo, int firstPage, int lastPage) {
    channel_.QueueSmall(MakeSmall(CDTReadPageNoRang, followNo, firstPage, lastPage));
}

void ServerLink::Refresh(int followNo) {
    channel_.QueueSmall(MakeSmall(CDTRefresh, followNo));
}

void ServerLink::FetchChosenPage(int followNo, int page) {
    channel_.QueueSmall(MakeSmall(CDTUserSet, followNo, page, page));
}

void ServerLink::NeedLaterPages(int followNo, int firstPage, int lastPage) {
    channel_.QueueSmall(MakeSmall(CDTReadNeedNext, followNo, firstPage, lastPage));
}

void ServerLink::NeedEarlierPages(int followNo, int firstPage, int lastPage) {
    channel_.QueueSmall(MakeSmall(CDTReadNeedLast, followNo, firstPage, lastPage));
}

void ServerLink::Reply(int followNo, const QString& text) {
    auto request = MakeRecord<ReplyRequest>(CDTReply);
    request.focusPageNo.Set(followNo);
    request.text.Set(text);
    channel_.QueueLarge(ToLarge(request));
}

void ServerLink::QueueSmall(const SmallMessage& record) {
    channel_.QueueSmall(record);
}

bool ServerLink::Drain(int timeoutMs) {
    return channel_.WaitUntilIdle(timeoutMs);
}

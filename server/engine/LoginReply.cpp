#include "server/engine/LoginReply.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "common/Settings.h"
#include "server/engine/OnDemandPages.h"
#include "server/engine/VersionCheck.h"
#include "server/fetch/FetchQueues.h"
#include "server/fetch/WebpageInfo.h"
#include "server/fetch/forms/LoginForm.h"
#include "server/fetch/forms/ReplyForm.h"
#include "server/fetch/forms/VerificationPicture.h"
#include "server/fetch/forms/VersionTable.h"
#include "store/Catalogue.h"

namespace {
// The version request's task type: anything but a picture.
constexpr int kVersionTaskType = 11;
} // namespace

void StartLogin(const LargeMessage& record) {
    const auto login = FromLarge<LoginRequest>(record);
    PageTask task;
    task.type = TaskLogin;
    task.SetLogin(login.userName.Get(), login.password.Get(), login.verifyCode.Get());
    QueueBrowse(QStringLiteral("http://") + Hosts().forumPassport + QStringLiteral("/login"), task,
                BrowserPageDone, true);
}

void AnswerLogin(bool loggedIn, const QString& message) {
    auto answer = MakeRecord<LoginAnswer>(CDTLogin);
    answer.result.Set(loggedIn ? 1 : 0);
    answer.message.Set(message);
    const VerificationPicture picture = CurrentVerificationPicture();
    if (picture.length > 0 && picture.length <= kMaxVerifyPictureBytes) {
        answer.pictureWidth.Set(picture.width);
        answer.pictureHeight.Set(picture.height);
        answer.pictureBytes.Set(picture.length);
        std::memcpy(answer.picture, picture.bits.constData(), static_cast<size_t>(picture.length));
    }
    CommandChannel::Process().QueueLarge(ToLarge(answer));
}

void LoginPageDone(WebpageInfo& request, bool& busy) {
    if (IsLoggedIn(request.Document)) {
        Log(QStringLiteral("登录成功"));
        AnswerLogin(true, QStringLiteral("登录成功！"));
        return;
    }
    QString message;
    if (!request.AwaitNext) {
        // A fresh login on this page: fill the form and wait for the page that answers it.
        ClearVerificationPicture();
        LoginFormElements form;
        if (!FindLoginForm(request.Document, &form) || !SubmitLogin(request, form)) {
            message = kLoginParseFailedMessage;
        } else {
            request.AwaitNext = true;
            busy = true;
        }
    } else {
        ReadLoginAnswer(request, request.Document, &message, &busy);
    }
    if (message.isEmpty())
        return;
    Log(message);
    AnswerLogin(false, message);
}

void StartReply(const LargeMessage& record) {
    const auto reply = FromLarge<ReplyRequest>(record);
    FollowRecord row;
    if (!ReadFollowedThread(reply.focusPageNo.Get(), row))
        return;
    PageTask task;
    task.type = TaskReply;
    task.followNumber = row.focusPageNo;
    task.databaseFile = row.dbFileName;
    task.SetReplyText(reply.text.Get());
    QueueBrowse(row.webpageUrl, task, BrowserPageDone, true);
}

void AnswerReply(int focusPageNo, bool succeeded) {
    auto answer = MakeRecord<ReplyAnswer>(CDTReply);
    answer.focusPageNo.Set(focusPageNo);
    answer.message.Set(succeeded ? QStringLiteral("回复成功！") : QStringLiteral("回复失败！"));
    answer.result.Set(succeeded ? 1 : 0);
    CommandChannel::Process().QueueLarge(ToLarge(answer));
}

void ReplyPageDone(WebpageInfo& request, bool&) {
    AnswerReply(request.task.followNumber, PostReply(request, request.Document));
}

QString VersionPageAddress() {
    return QStringLiteral("http://") + Hosts().makerSite +
           QStringLiteral("/Quillmere/SoftVer.html");
}

void QueueVersionCheck() {
    PageTask task;
    task.type = kVersionTaskType;
    task.SetVersionText(kServerVersion);
    QueueDownload(VersionPageAddress(), task, VersionPageDone, true);
}

void VersionPageDone(WebpageInfo& request, bool&, bool) {
    QList<VersionRow> rows;
    if (!ReadVersionTable(request.Document, &rows))
        return;
    VersionRow row;
    if (FindUpdate(rows, request.task.VersionText(), &row)) {
        if (row.cells[2] == QStringLiteral("必须"))
            ServerVersionState() = VersionMandatory;
        auto update = MakeRecord<SoftVerUpdateMessage>(CDTSoftVerUpdate);
        update.updateKind.Set(row.cells[2]);
        update.field4.Set(row.cells[3]);
        update.message.Set(row.cells[4]);
        update.field6.Set(row.links[0]);
        update.field7.Set(row.links[1]);
        update.field8.Set(row.links[2]);
        CommandChannel::Process().QueueLarge(ToLarge(update));
    }
    int pending = VersionPending;
    ServerVersionState().compare_exchange_strong(pending, VersionDone);
}

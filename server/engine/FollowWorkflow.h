#pragma once

#include "common/Records.h"

#include <QString>

struct WebpageInfo;

// The reader's CDTAddFocusWebpage: loads the page, works from the thread's first page,
// creates the thread's database and catalogue row, answers, and starts the page walk.
void StartFollow(const LargeMessage& record);

// The follow request's document handler (on a loader thread).
void FollowPageDone(WebpageInfo& request, bool& busy, bool timedOut);

// Queues the CDTAddFocusWebpage answer: the request's label followed by the message.
void AnswerFollow(const WebpageInfo& request, const QString& message, int result);

// The answer texts.
inline const QString kFollowTimedOut = QStringLiteral("添加关注网页超时！");
inline const QString kFollowParseFailed = QStringLiteral("解析网页失败!");
inline const QString kFollowAlreadyFollowed = QStringLiteral("指定页已经设为关注!");
inline const QString kFollowCreateDbFailed = QStringLiteral("创建数据库文件失败!");
inline const QString kFollowSaveFailed = QStringLiteral("保存基本信息到数据库失败!");
inline const QString kFollowSucceeded = QStringLiteral("添加关注成功!");

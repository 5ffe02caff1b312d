#pragma once

#include "common/Records.h"

struct WebpageInfo;

// The reader's CDTLogin: the forum's login page in the navigating loader (type 10).
void StartLogin(const LargeMessage& record);
// The reader's CDTReply: the thread's page in the navigating loader (type 12).
void StartReply(const LargeMessage& record);

// Called by BrowserPageDone for login and reply pages.
void LoginPageDone(WebpageInfo& request, bool& busy);
void ReplyPageDone(WebpageInfo& request, bool& busy);

// Queues the CDTReply answer.
void AnswerReply(int focusPageNo, bool succeeded);
// Queues the CDTLogin answer, with the verification picture when one was drawn.
void AnswerLogin(bool loggedIn, const QString& message);

// Version check: the maker's version page, read by VersionPageDone.
void QueueVersionCheck();
void VersionPageDone(WebpageInfo& request, bool& busy, bool timedOut);
QString VersionPageAddress();

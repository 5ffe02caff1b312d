#pragma once

#include "server/fetch/WebpageInfo.h"
#include "server/parse/HtmlDocument.h"

#include <QString>

// The message of a login that could not be worked through the page.
inline const QString kLoginParseFailedMessage = QStringLiteral("解析网页失败导致登录失败！");
inline const QString kEmptyCodeSubstitute = QStringLiteral("ABCD");

// The elements of the forum's login form; the last three may be missing.
struct LoginFormElements {
    DocumentPtr document; // keeps the elements below alive
    const HtmlNode* userName = nullptr;
    const HtmlNode* password = nullptr;
    const HtmlNode* rememberFlag = nullptr;
    const HtmlNode* loginButton = nullptr;
    const HtmlNode* verificationCode = nullptr;
    const HtmlNode* verificationPicture = nullptr;
    const HtmlNode* anotherPictureLink = nullptr;
};

// True when the page shows the logged-in navigation ("top_nav_set").
bool IsLoggedIn(const DocumentPtr& document);
// True when user name, password, remember flag and login button are all found.
bool FindLoginForm(const DocumentPtr& document, LoginFormElements* form);
// Fills the form from the request's login data in the live page and clicks the login button.
// False when the request has no live page or the page refused an action.
bool SubmitLogin(const WebpageInfo& request, const LoginFormElements& form);
// Reads the answer of the page after a submission: true with the message of "errMsg" (the
// verification picture drawn when the page shows one); false with the parse-failure message
// when the page has no "errMsg". `busy` is set on success.
bool ReadLoginAnswer(WebpageInfo& request, const DocumentPtr& document, QString* message,
                     bool* busy);

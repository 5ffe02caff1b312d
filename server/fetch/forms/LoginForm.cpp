#include "server/fetch/forms/LoginForm.h"

#include "server/fetch/forms/LivePage.h"
#include "server/fetch/forms/VerificationPicture.h"
#include "server/parse/CParseHtml.h"

namespace {

const QString kLoginButtonValue = QStringLiteral("登录");
const QString kAnotherPictureText = QStringLiteral("换一张");

bool IsInput(const HtmlNode* element) {
    return element && element->HasTag("input");
}

// How the live page finds an element that the snapshot found: by its id when it has one.
QString SelectorOf(const HtmlNode* element, const QString& fallback) {
    const QString id = element ? element->Id() : QString();
    return id.isEmpty() ? fallback : SelectorForId(id);
}

} // namespace

bool IsLoggedIn(const DocumentPtr& document) {
    return document &&
           CParseHtml(document, QString()).GetElementById(QStringLiteral("top_nav_set"));
}

bool FindLoginForm(const DocumentPtr& document, LoginFormElements* form) {
    *form = LoginFormElements();
    if (!document)
        return false;
    form->document = document;
    const CParseHtml page(document, QString());
    form->userName = page.GetElementById(QStringLiteral("userName"));
    if (!IsInput(form->userName))
        form->userName = nullptr;
    form->password = page.GetElementById(QStringLiteral("password"));
    form->rememberFlag = page.GetElementById(QStringLiteral("rmflag"));
    if (!IsInput(form->rememberFlag))
        form->rememberFlag = nullptr;
    const HtmlNode* loginForm = page.GetElementById(QStringLiteral("loginForm"));
    form->loginButton = CParseHtml::FindButtonByValue(loginForm, kLoginButtonValue);
    form->verificationCode = page.GetElementById(QStringLiteral("vc"));
    if (!IsInput(form->verificationCode))
        form->verificationCode = nullptr;
    form->verificationPicture = page.GetElementById(QStringLiteral("imgCode"));
    if (!CParseHtml::IsImage(form->verificationPicture))
        form->verificationPicture = nullptr;
    form->anotherPictureLink = CParseHtml::FindAnchorByText(loginForm, kAnotherPictureText);
    return form->userName && form->password && form->rememberFlag && form->loginButton;
}

bool SubmitLogin(const WebpageInfo& request, const LoginFormElements& form) {
    if (!request.Live || !form.userName || !form.password || !form.rememberFlag ||
        !form.loginButton)
        return false;
    LivePage& live = *request.Live;
    bool ok = live.SetValue(SelectorOf(form.userName, SelectorForId(QStringLiteral("userName"))),
                            request.task.LoginUserName());
    ok = live.SetValue(SelectorOf(form.password, SelectorForId(QStringLiteral("password"))),
                       request.task.LoginPassword()) &&
         ok;
    if (form.verificationCode) {
        const QString code = request.task.LoginCode();
        ok = live.SetValue(SelectorOf(form.verificationCode, SelectorForId(QStringLiteral("vc"))),
                           code.isEmpty() ? kEmptyCodeSubstitute : code) &&
             ok;
    }
    ok = live.SetChecked(SelectorOf(form.rememberFlag, SelectorForId(QStringLiteral("rmflag"))),
                         false) &&
         ok;
    const QString buttonSelector = SelectorForId(QStringLiteral("loginForm")) +
                                   QStringLiteral(" input[value=\"%1\"]").arg(kLoginButtonValue);
    return live.Click(SelectorOf(form.loginButton, buttonSelector)) && ok;
}

bool ReadLoginAnswer(WebpageInfo& request, const DocumentPtr& document, QString* message,
                     bool* busy) {
    const CParseHtml page(document, request.address);
    const HtmlNode* errMsg = page.GetElementById(QStringLiteral("errMsg"));
    if (!errMsg) {
        *message = kLoginParseFailedMessage;
        return false;
    }
    *message = CParseHtml::GetInnerText(errMsg);
    const HtmlNode* picture = page.GetElementById(QStringLiteral("imgCode"));
    if (picture) {
        if (request.Live &&
            RenderVerificationPicture(*request.Live, SelectorForId(QStringLiteral("imgCode")))) {
            request.RepollSeconds = 0;
        } else {
            // Not drawn yet: try again two seconds later, with no message meanwhile.
            request.RepollSeconds = 2;
            message->clear();
        }
    } else {
        ClearVerificationPicture();
    }
    *busy = true;
    return true;
}

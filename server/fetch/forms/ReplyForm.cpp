#include "server/fetch/forms/ReplyForm.h"

#include "server/fetch/forms/LivePage.h"
#include "server/parse/CParseHtml.h"

bool PostReply(const WebpageInfo& request, const DocumentPtr& document) {
    if (!document || !request.Live)
        return false;
    const CParseHtml page(document, request.address);
    const QString boxId = QStringLiteral("adsp_content_replybox_area");
    const HtmlNode* box = page.GetElementById(boxId);
    if (!box || !box->HasTag("textarea"))
        return false;
    if (!request.Live->SetValue(SelectorForId(boxId), request.task.ReplyText()))
        return false;
    const QString submitId = QStringLiteral("submit2");
    if (!page.GetElementById(submitId))
        return false;
    return request.Live->FireOnClick(SelectorForId(submitId));
}

#include "server/parse/PageNavigation.h"

#include <chrono>
#include <thread>

namespace {

QString ChildLinkHref(CParseHtml::Element parent, const QString& text) {
    for (CParseHtml::Element child : parent->ChildElements())
        if (CParseHtml::IsLink(child) && CParseHtml::GetInnerText(child) == text)
            return CParseHtml::GetHref(child);
    return {};
}

QString CurrentPageText(const CParseHtml& page, const QString& navigationId) {
    return CParseHtml::GetInnerText(
        CParseHtml::FindByClassName(page.GetElementById(navigationId), QStringLiteral("current")));
}

void AppendLink(CParseHtml::Element child, QList<PageLink>* links) {
    if (!CParseHtml::IsLink(child))
        return;
    const QString text = CParseHtml::GetInnerText(child);
    const int pageNo = text.isEmpty() ? -1 : DecimalValue(text);
    if (pageNo >= 0)
        links->append({pageNo, CParseHtml::GetHref(child)});
}

} // namespace

void TakeDocumentAddress(const CParseHtml& page, QString* address) {
    const QString documentUrl = page.GetDocumentUrl();
    if (documentUrl.size() > 4 && documentUrl.startsWith(QLatin1String("http")) && address)
        *address = documentUrl;
}

bool ReadNavigationPageInfo(const CParseHtml& page, const QString& navigationId, QString* address,
                            ParsedPageInfo* info) {
    const CParseHtml::Element navigation = page.GetElementById(navigationId);
    const CParseHtml::Element current =
        CParseHtml::FindByClassName(navigation, QStringLiteral("current"));
    const QString requestAddress = address ? *address : page.PageAddress();

    ParsedPageInfo result = *info;
    result.currentPage = current ? DecimalValue(CParseHtml::GetInnerText(current)) : 1;

    if (!navigation) {
        result.pageCount = 1;
    } else {
        const QString text = CParseHtml::GetInnerText(navigation);
        const qsizetype total = text.indexOf(QStringLiteral("共"));
        const qsizetype pages = total >= 0 ? text.indexOf(QStringLiteral("页"), total) : -1;
        result.pageCount = pages >= 0
                               ? DecimalValue(text.mid(total + 1, pages - total - 1).trimmed())
                               : result.currentPage;
    }

    CParseHtml::Element title = page.GetElementById(QStringLiteral("adsp_content_title_left"));
    result.title = title ? CParseHtml::GetInnerText(title->Parent())
                         : CParseHtml::GetInnerText(page.GetElementById(QStringLiteral("hTitle")));
    if (result.title.isEmpty() || result.currentPage < 0 || result.pageCount < 0)
        return false;

    result.firstPageAddress =
        navigation ? ChildLinkHref(navigation, QStringLiteral("首页")) : QString();
    if (result.firstPageAddress.isEmpty())
        result.firstPageAddress = requestAddress;

    result.lastPageAddress.clear();
    CParseHtml::GetAnchorHrefByText(navigation, QStringLiteral("末页"), &result.lastPageAddress);
    if (result.lastPageAddress.isEmpty())
        result.lastPageAddress = result.firstPageAddress;

    result.prevPageAddress.clear();
    if (result.currentPage >= 2) {
        if (!current)
            return false;
        for (const HtmlNode& node : navigation->Descendants()) {
            if (&node == current)
                break;
            if (CParseHtml::IsLink(&node))
                result.prevPageAddress = CParseHtml::GetHref(&node);
        }
    }

    result.nextPageAddress.clear();
    if (result.currentPage < result.pageCount &&
        !CParseHtml::GetAnchorHrefByText(navigation, QStringLiteral("下一页"),
                                         &result.nextPageAddress))
        return false;

    *info = result;
    TakeDocumentAddress(page, address);
    return true;
}

bool NavigationNextLinks(const CParseHtml& page, const QString& navigationId,
                         QList<PageLink>* links) {
    const QString currentText = CurrentPageText(page, navigationId);
    if (currentText.isEmpty() || !links)
        return false;
    links->clear();
    bool after = false;
    for (CParseHtml::Element child : page.GetElementById(navigationId)->ChildElements()) {
        const QString text = CParseHtml::GetInnerText(child);
        if (!after) {
            after = text == currentText;
            continue;
        }
        if (text == QStringLiteral("下一页"))
            break;
        AppendLink(child, links);
    }
    return true;
}

bool NavigationPrevLinks(const CParseHtml& page, const QString& navigationId,
                         QList<PageLink>* links) {
    const QString currentText = CurrentPageText(page, navigationId);
    if (currentText.isEmpty() || !links)
        return false;
    links->clear();
    for (CParseHtml::Element child : page.GetElementById(navigationId)->ChildElements()) {
        const QString text = CParseHtml::GetInnerText(child);
        if (text == currentText)
            break;
        if (CParseHtml::IsLink(child) && text == QStringLiteral("首页"))
            continue;
        AppendLink(child, links);
    }
    return true;
}

bool NavigationGotoPage(const CParseHtml& page, PageControl* livePage, int pageNo) {
    if (!page.GetElementById(QStringLiteral("idarticlekey")) ||
        !page.GetElementById(QStringLiteral("button2")) || !livePage)
        return false;
    if (!livePage->SetValueById(QStringLiteral("idarticlekey"), QString::number(pageNo)))
        return false;
    // The page's script reads the box a moment after it changes.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return livePage->ClickById(QStringLiteral("button2"));
}

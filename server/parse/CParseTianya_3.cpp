#include "server/parse/CParseTianya_3.h"

#include "server/parse/AuthorTime.h"
#include "server/parse/PageNavigation.h"

namespace {
const QString kNavigation = QStringLiteral("pageForm");
}

bool CParseTianya_3::ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info) {
    return ReadNavigationPageInfo(page, kNavigation, address, info);
}

bool CParseTianya_3::GetFirstAuthor(QString* author, QString* time) {
    Element first = GetFirstChildNode(GetElementById(QStringLiteral("pContentDiv")));
    Element header = GetFirstChildNode(first);
    if (!header)
        return false;
    return ParseAuthorTime(GetInnerText(header), author, time);
}

bool CParseTianya_3::ParsePosts(int pageNo, QList<PostRecord>* posts,
                                QList<PictureRecord>* pictures) {
    Element area = GetElementById(QStringLiteral("pContentDiv"));
    if (!area || !posts || !pictures)
        return false;
    for (Element block : area->ChildElements()) {
        Element header = GetChildNode(block, 0);
        Element body = GetChildNode(block, 1);
        if (!header || !body)
            continue;
        QString author;
        QString time;
        ParseAuthorTime(GetInnerText(header), &author, &time);
        posts->append({pageNo, author, time, GetInnerText(body)});
        int index = 0;
        for (const QString& address : ListImageUrls(body))
            pictures->append({pageNo, author, time, index++, address});
    }
    return true;
}

bool CParseTianya_3::GetNextPageLinks(QList<PageLink>* links) {
    return NavigationNextLinks(*this, kNavigation, links);
}

bool CParseTianya_3::GetPrevPageLinks(QList<PageLink>* links) {
    return NavigationPrevLinks(*this, kNavigation, links);
}

bool CParseTianya_3::GotoPage(PageControl* livePage, int pageNo, QString* address) {
    if (address)
        address->clear();
    return NavigationGotoPage(*this, livePage, pageNo);
}

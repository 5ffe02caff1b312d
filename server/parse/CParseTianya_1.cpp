#include "server/parse/CParseTianya_1.h"

#include "server/parse/AuthorTime.h"
#include "server/parse/PageNavigation.h"

namespace {
const QString kNavigation = QStringLiteral("pageDivTop");
}

bool CParseTianya_1::ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info) {
    return ReadNavigationPageInfo(page, kNavigation, address, info);
}

bool CParseTianya_1::GetFirstAuthor(QString* author, QString* time) {
    Element header = GetElementById(QStringLiteral("firstAuthor"));
    if (!header)
        return false;
    return ParseAuthorTime(GetInnerText(header), author, time);
}

bool CParseTianya_1::ParsePosts(int pageNo, QList<PostRecord>* posts,
                                QList<PictureRecord>* pictures) {
    QString author;
    QString time;
    if (!GetFirstAuthor(&author, &time))
        return false;
    Element area = GetElementById(QStringLiteral("pContentDiv"));
    if (!area || !posts || !pictures)
        return false;
    for (Element child : area->ChildElements()) {
        if (child->HasTag("table")) {
            // A header that cannot be read keeps the previous author, with no time.
            QString headerAuthor;
            if (ParseAuthorTime(GetInnerText(child), &headerAuthor, &time))
                author = headerAuthor;
            continue;
        }
        if (!child->HasTag("div") || GetClassName(child) != QLatin1String("post"))
            continue;
        posts->append({pageNo, author, time, GetInnerText(child)});
        int index = 0;
        for (const QString& address : ListImageUrls(child))
            pictures->append({pageNo, author, time, index++, address});
    }
    return true;
}

bool CParseTianya_1::GetNextPageLinks(QList<PageLink>* links) {
    return NavigationNextLinks(*this, kNavigation, links);
}

bool CParseTianya_1::GetPrevPageLinks(QList<PageLink>* links) {
    return NavigationPrevLinks(*this, kNavigation, links);
}

bool CParseTianya_1::GotoPage(PageControl* livePage, int pageNo, QString* address) {
    if (address)
        address->clear();
    return NavigationGotoPage(*this, livePage, pageNo);
}

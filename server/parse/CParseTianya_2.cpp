#include "server/parse/CParseTianya_2.h"

bool CParseTianya_2::ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info) {
    Q_UNUSED(address);
    Element head = page.GetElementById(QStringLiteral("post_head"));
    if (!head || !info)
        return false;
    QList<LinkItem> links;
    ListAnchors(head, &links);
    info->currentPage = 1;
    for (const LinkItem& link : links) {
        if (link.text == QLatin1String("1")) {
            info->firstPageAddress = link.address;
            info->currentPage = 2;
            break;
        }
    }
    info->layout = 2;
    return true;
}

bool CParseTianya_2::GetFirstAuthor(QString*, QString*) {
    return false;
}

bool CParseTianya_2::ParsePosts(int, QList<PostRecord>*, QList<PictureRecord>*) {
    return true;
}

bool CParseTianya_2::GetNextPageLinks(QList<PageLink>*) {
    return true;
}

bool CParseTianya_2::GetPrevPageLinks(QList<PageLink>*) {
    return true;
}

bool CParseTianya_2::GotoPage(PageControl*, int, QString*) {
    return true;
}

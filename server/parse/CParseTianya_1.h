#pragma once

#include "server/parse/CParseWebpage.h"

// The layout with the starter's header in "firstAuthor", the posts in "pContentDiv" (header
// tables followed by divisions of class "post") and the navigation in "pageDivTop".
class CParseTianya_1 : public CParseWebpage {
public:
    using CParseWebpage::CParseWebpage;

    static bool ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info);

    bool GetFirstAuthor(QString* author, QString* time) override;
    bool ParsePosts(int pageNo, QList<PostRecord>* posts, QList<PictureRecord>* pictures) override;
    bool GetNextPageLinks(QList<PageLink>* links) override;
    bool GetPrevPageLinks(QList<PageLink>* links) override;
    bool GotoPage(PageControl* livePage, int pageNo, QString* address) override;
};

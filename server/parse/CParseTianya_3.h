#pragma once

#include "server/parse/CParseWebpage.h"

// The layout whose post area is marked by "content-container": each child of "pContentDiv" is
// a post of a header node and a body node; the navigation is "pageForm".
class CParseTianya_3 : public CParseWebpage {
public:
    using CParseWebpage::CParseWebpage;

    static bool ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info);

    bool GetFirstAuthor(QString* author, QString* time) override;
    bool ParsePosts(int pageNo, QList<PostRecord>* posts, QList<PictureRecord>* pictures) override;
    bool GetNextPageLinks(QList<PageLink>* links) override;
    bool GetPrevPageLinks(QList<PageLink>* links) override;
    bool GotoPage(PageControl* livePage, int pageNo, QString* address) override;
};

#pragma once

#include "server/parse/CParseWebpage.h"

// A layout that is never detected by its ids: its parser reads nothing and reports success, so
// a request that carries this layout by other means ends quietly.
class CParseTianya_2 : public CParseWebpage {
public:
    using CParseWebpage::CParseWebpage;

    // The first page's address from the link "1" of "post_head".
    static bool ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info);

    bool GetFirstAuthor(QString* author, QString* time) override;
    bool ParsePosts(int pageNo, QList<PostRecord>* posts, QList<PictureRecord>* pictures) override;
    bool GetNextPageLinks(QList<PageLink>* links) override;
    bool GetPrevPageLinks(QList<PageLink>* links) override;
    bool GotoPage(PageControl* livePage, int pageNo, QString* address) override;
};

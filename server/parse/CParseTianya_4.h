#pragma once

#include "server/parse/CParseWebpage.h"

// The newest layout: "post_head" with the title, the starter's "atl-info" and the navigation,
// and the posts as "atl-item" children of "atl-main". Neighbouring pages are reached through
// the page number in the address ("...-<page>.<extension>").
class CParseTianya_4 : public CParseWebpage {
public:
    using CParseWebpage::CParseWebpage;

    static bool ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info);

    bool GetFirstAuthor(QString* author, QString* time) override;
    bool ParsePosts(int pageNo, QList<PostRecord>* posts, QList<PictureRecord>* pictures) override;
    bool GetNextPageLinks(QList<PageLink>* links) override;
    bool GetPrevPageLinks(QList<PageLink>* links) override;
    bool GotoPage(PageControl* livePage, int pageNo, QString* address) override;
};

// The address with the number between its last "-" and its last "." replaced by `pageNo`;
// false when the address has no such number.
bool ReplacePageNumber(const QString& address, int pageNo, QString* result);

// An address that resolved against a local file instead of the forum is put back on the
// forum's bbs host; http and https addresses are kept.
QString RepairForumAddress(const QString& address);

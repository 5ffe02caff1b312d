#pragma once

#include "server/parse/CParseHtml.h"
#include "server/parse/PageControl.h"
#include "server/parse/PageLink.h"
#include "server/parse/ParsedPageInfo.h"
#include "server/parse/PictureRecord.h"
#include "server/parse/PostRecord.h"

#include <memory>

// A parser of one thread-page layout. Made for one loaded page, used for one operation and
// dropped; it never logs and never throws.
class CParseWebpage : public CParseHtml {
public:
    // `pageInfo` is what `ReadPageInfo` found for the same page.
    CParseWebpage(DocumentPtr document, QString pageAddress, ParsedPageInfo pageInfo);

    // The thread starter's user name and post time; true when both were read.
    virtual bool GetFirstAuthor(QString* author, QString* time) = 0;
    // The page's posts and their pictures; true when the page's post area was found.
    virtual bool ParsePosts(int pageNo, QList<PostRecord>* posts,
                            QList<PictureRecord>* pictures) = 0;
    // Links to pages after the current page.
    virtual bool GetNextPageLinks(QList<PageLink>* links) = 0;
    // Links to pages before the current page.
    virtual bool GetPrevPageLinks(QList<PageLink>* links) = 0;
    // Reaches page `pageNo`: either `address` is set, or it stays empty and the live page was
    // made to navigate.
    virtual bool GotoPage(PageControl* livePage, int pageNo, QString* address) = 0;

protected:
    const ParsedPageInfo& PageInfo() const { return pageInfo_; }

private:
    ParsedPageInfo pageInfo_;
};

// The layout of a thread page by the ids it has: "firstAuthor" 1, "content-container" 3,
// "post_head" 4, the first found winning; 0 (and `info` untouched) for none.
int DetectLayout(const DocumentPtr& document, ParsedPageInfo* info);

// Detects the layout and reads the page information of that layout into `info`; `address` is
// the request's address, which a loaded page's own http address replaces.
bool ReadPageInfo(const DocumentPtr& document, QString* address, ParsedPageInfo* info);

// The parser of a layout 1 to 4; none for any other number.
std::unique_ptr<CParseWebpage> CreateParser(int layout, DocumentPtr document,
                                            const QString& address, const ParsedPageInfo& pageInfo);

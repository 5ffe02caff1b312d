#include "server/parse/CParseTianya_4.h"

#include "server/parse/AuthorTime.h"
#include "server/parse/PageNavigation.h"

#include "common/Settings.h"
#include "common/Utilities.h"

namespace {

const QString kHead = QStringLiteral("post_head");

// Up to six pages after and five before the current one are offered at a time.
constexpr int kPagesAfter = 6;
constexpr int kPagesBefore = 5;

void AppendPageRange(const QString& address, int first, int last, QList<PageLink>* links) {
    for (int page = first; page <= last; ++page) {
        QString pageAddress;
        if (ReplacePageNumber(address, page, &pageAddress))
            links->append({page, pageAddress});
    }
}

} // namespace

bool ReplacePageNumber(const QString& address, int pageNo, QString* result) {
    const qsizetype dash = address.lastIndexOf(u'-');
    const qsizetype dot = address.lastIndexOf(u'.');
    if (dash < 0 || dot <= dash)
        return false;
    if (result)
        *result = address.left(dash + 1) + QString::number(pageNo) + address.mid(dot);
    return true;
}

QString RepairForumAddress(const QString& address) {
    if (address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return address;
    const qsizetype colon = address.lastIndexOf(u':');
    if (colon <= 5)
        return address;
    return QStringLiteral("http://") + Hosts().forumBbs + QLatin1Char('/') + address.mid(colon + 2);
}

bool CParseTianya_4::ReadPageInfo(const CParseHtml& page, QString* address, ParsedPageInfo* info) {
    Element head = page.GetElementById(kHead);
    if (!head || !info)
        return false;
    ParsedPageInfo result = *info;
    result.title = GetInnerText(GetFirstChildNode(head));
    if (result.title.isEmpty())
        return false;
    result.firstPageAddress.clear();
    result.prevPageAddress.clear();
    result.nextPageAddress.clear();
    result.lastPageAddress.clear();

    Element navigation = nullptr;
    for (const HtmlNode& node : head->Descendants()) {
        if (!IsLink(&node))
            continue;
        const QString text = GetInnerText(&node);
        const QString href = GetHref(&node);
        if (text.isEmpty() || href.isEmpty())
            continue;
        const bool previous = text == QStringLiteral("上页");
        const bool next = text == QStringLiteral("下页");
        if (previous)
            result.prevPageAddress = href;
        if (next)
            result.nextPageAddress = href;
        if ((previous || next) && !navigation)
            navigation = node.Parent();
    }

    result.currentPage = 1;
    result.pageCount = 1;
    if (navigation) {
        for (const HtmlNode& node : navigation->Descendants()) {
            if (!node.IsElement())
                continue;
            const QString text = GetInnerText(&node);
            if (!IsAllDigits(text))
                continue;
            const int value = DecimalValue(text);
            if (value < 0)
                return false; // a page number beyond the integer range is no page of a thread
            result.pageCount = value;
            if (!IsLink(&node))
                result.currentPage = value;
            else if (value == 1)
                result.firstPageAddress = GetHref(&node);
            else
                result.lastPageAddress = GetHref(&node);
        }
        if (result.currentPage == result.pageCount)
            result.lastPageAddress.clear();
    }

    QString requestAddress = address ? *address : page.PageAddress();
    TakeDocumentAddress(page, &requestAddress);
    if (result.firstPageAddress.isEmpty())
        result.firstPageAddress = requestAddress;
    if (result.lastPageAddress.isEmpty())
        result.lastPageAddress = requestAddress;

    result.firstPageAddress = RepairForumAddress(result.firstPageAddress);
    result.prevPageAddress = RepairForumAddress(result.prevPageAddress);
    result.nextPageAddress = RepairForumAddress(result.nextPageAddress);
    result.lastPageAddress = RepairForumAddress(result.lastPageAddress);

    *info = result;
    if (address)
        *address = requestAddress;
    return true;
}

bool CParseTianya_4::GetFirstAuthor(QString* author, QString* time) {
    Element info = FindByClassName(GetElementById(kHead), QStringLiteral("atl-info"));
    if (!info)
        return false;
    return ParseAuthorTimeLayout4(GetInnerText(info), author, time);
}

bool CParseTianya_4::ParsePosts(int pageNo, QList<PostRecord>* posts,
                                QList<PictureRecord>* pictures) {
    Element head = GetElementById(kHead);
    if (!head || !posts || !pictures)
        return false;
    QString starter;
    QString starterTime;
    if (pageNo == 1 && !GetFirstAuthor(&starter, &starterTime))
        return false;
    Element main = FindByClassName(head->Parent(), QStringLiteral("atl-main"));
    if (!main)
        return false;

    // Every post of the page or none: a header that cannot be read fails the whole page.
    QList<PostRecord> pagePosts;
    QList<PictureRecord> pagePictures;
    const std::vector<Element> items = main->ChildElements();
    for (size_t position = 0; position < items.size(); ++position) {
        Element item = items[position];
        if (GetClassName(item) != QLatin1String("atl-item"))
            continue;
        QString author;
        QString time;
        if (pageNo == 1 && position == 0) {
            author = starter;
            time = starterTime;
        } else {
            Element header = FindByClassName(item, QStringLiteral("atl-head"));
            if (!header || !ParseAuthorTimeLayout4(GetInnerText(header), &author, &time))
                return false;
        }
        Element content = FindByClassName(item, QStringLiteral("atl-content"));
        if (!content)
            return false;
        pagePosts.append({pageNo, author, time, GetInnerText(content)});
        int index = 0;
        for (const QString& address : ListImageUrls(content))
            pagePictures.append({pageNo, author, time, index++, address});
    }
    *posts = pagePosts;
    *pictures = pagePictures;
    return true;
}

bool CParseTianya_4::GetNextPageLinks(QList<PageLink>* links) {
    if (!links)
        return true;
    links->clear();
    const int current = PageInfo().currentPage;
    const int count = PageInfo().pageCount;
    if (current == count)
        return true;
    const int last = count - current < kPagesAfter ? count : current + kPagesAfter;
    AppendPageRange(PageAddress(), current + 1, last, links);
    return true;
}

bool CParseTianya_4::GetPrevPageLinks(QList<PageLink>* links) {
    if (!links)
        return true;
    links->clear();
    const int current = PageInfo().currentPage;
    if (current <= 1)
        return true;
    const int first = current > kPagesBefore ? current - kPagesBefore : 1;
    AppendPageRange(PageAddress(), first, current - 1, links);
    return true;
}

bool CParseTianya_4::GotoPage(PageControl*, int pageNo, QString* address) {
    QString target;
    // An address without a page number cannot be turned into another page's address.
    if (!ReplacePageNumber(PageAddress(), pageNo, &target))
        return false;
    if (address)
        *address = target;
    return true;
}

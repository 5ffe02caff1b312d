#include "server/parse/CParseTianyaFocus.h"

#include "common/Log.h"
#include "common/Utilities.h"

namespace {

struct FocusBlock {
    const char16_t* label;
    const char16_t* id;
};

// Labels and block ids, in the order the items are listed.
const FocusBlock kFocusBlocks[20] = {
    {u"天涯头条", u"header_news"}, {u"天涯头版", u"头条文字链"}, {u"热点推荐", u"热点推荐"},
    {u"社会", u"社会文字链"},      {u"深度", u"深度文字链"},     {u"公益", u"公益"},
    {u"文学", u"文学文字链"},      {u"财经", u"财经文字链"},     {u"汽车", u"汽车文字链"},
    {u"文字", u"it文字链"},        {u"数码", u"数码文字链"},     {u"女人", u"女人文字链"},
    {u"时尚", u"时尚文字链"},      {u"情感", u"情感文字链"},     {u"旅游", u"旅游文字链"},
    {u"房产", u"房产文字链"},      {u"游戏", u"游戏文字链"},     {u"娱乐", u"娱乐文字链"},
    {u"体育", u"体育文字链"},      {u"校园", u"校园文字链"},
};

} // namespace

bool CParseTianyaFocus::Parse(QList<FocusItem>* items) {
    if (!items)
        return true;
    items->clear();
    for (const FocusBlock& block : kFocusBlocks) {
        Element element = GetElementById(QString::fromUtf16(block.id));
        if (!element)
            continue;
        QList<LinkItem> links;
        ListAnchors(element, &links);
        for (const LinkItem& link : links) {
            if (ClassifyForumAddress(link.address) == 0) {
                Log(QStringLiteral("No support focus webpage: ") + link.address, LogNormal);
                continue;
            }
            bool merged = false;
            for (FocusItem& item : *items) {
                if (item.focusUrl == link.address) {
                    item.focusTitle += QStringLiteral("--") + link.text;
                    merged = true;
                    break;
                }
            }
            if (!merged)
                items->append({QString::fromUtf16(block.label), link.text, link.address});
        }
    }
    return true;
}

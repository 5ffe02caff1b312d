#include "server/engine/FrontPages.h"

#include "common/CommandChannel.h"
#include "common/Settings.h"
#include "server/fetch/WebpageInfo.h"
#include "server/parse/CParseTianyaFocus.h"
#include "store/Catalogue.h"

QString FrontPageAddress() {
    return QStringLiteral("http://") + Hosts().forumFocus + QStringLiteral("/");
}

QString DiscountPageAddress() {
    return QStringLiteral("http://") + Hosts().discountSite + QStringLiteral("/zhe/readadvert.php");
}

void FrontPageDone(WebpageInfo& request, bool&, bool) {
    QList<FocusItem> items;
    CParseTianyaFocus(request.Document, request.address).Parse(&items);
    ReplaceFrontPageItems(items);
    CommandChannel::Process().QueueSmall(MakeSmall(CDTTianyaFocus));
}

QString QuoteClassAttributes(const QString& html) {
    QString text = html;
    const QString marker = QStringLiteral("class=");
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(marker, from);
        if (at < 0)
            break;
        const qsizetype valueStart = at + marker.size();
        if (valueStart < text.size() && text[valueStart] == QLatin1Char('"')) {
            from = valueStart + 1;
            continue;
        }
        text.insert(valueStart, QLatin1Char('"'));
        const qsizetype searchFrom = valueStart + 3;
        const qsizetype close = text.indexOf(QLatin1Char('>'), searchFrom);
        const qsizetype space = text.indexOf(QLatin1Char(' '), searchFrom);
        if (space >= 0 && (close < 0 || space < close))
            text.insert(space, QLatin1Char('"'));
        else if (close >= 0)
            text.insert(close, QLatin1Char('"'));
        else
            text.append(QLatin1Char('"')); // a cut fragment: close the value at its end
        from = valueStart + 1;
    }
    return text;
}

std::vector<HotRecommendItem> ReadDiscountRows(const WebpageInfo& request) {
    std::vector<HotRecommendItem> items;
    const CParseHtml page(request.Document, request.address);
    const auto main = page.GetElementById(QStringLiteral("main"));
    if (!main)
        return items;
    const auto rows = main->ChildElements();
    HotRecommendItem item;
    for (int r = 0; r < kMaxDiscountRows && r < static_cast<int>(rows.size()); ++r) {
        const auto cells = rows[static_cast<size_t>(r)]->ChildElements();
        for (int c = 4; c <= 7 && c < static_cast<int>(cells.size()); ++c) {
            const auto cell = cells[static_cast<size_t>(c)];
            switch (c) {
            case 4:
                item.html = QuoteClassAttributes(CParseHtml::GetOuterHtml(cell));
                break;
            case 5:
                item.text = CParseHtml::GetInnerText(cell);
                break;
            case 6:
                item.first = DecimalValue(CParseHtml::GetInnerText(cell));
                break;
            case 7:
                item.second = DecimalValue(CParseHtml::GetInnerText(cell));
                break;
            }
        }
        items.push_back(item);
    }
    return items;
}

void SendHotRecommend(const std::vector<HotRecommendItem>& items) {
    for (const LargeMessage& record : SplitHotRecommend(items))
        CommandChannel::Process().QueueLarge(record);
}

void DiscountPageDone(WebpageInfo& request, bool&, bool) {
    const CParseHtml page(request.Document, request.address);
    if (!page.GetElementById(QStringLiteral("main")))
        return;
    SendHotRecommend(ReadDiscountRows(request));
}

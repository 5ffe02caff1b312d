#include "common/Records.h"

QString CommandName(int code) {
    static const char* const names[] = {
        "CDTAppExit",
        "CDTAddFocusWebpage",
        "CDTNewGetWebpage",
        "CDTLogin",
        nullptr,
        "CDTReply",
        "CDTRefresh",
        "CDTUserSet",
        "CDTTianyaFocus",
        "CDTNoWebpage",
        "CDTFindSvr",
        "CDTWriteLog",
        "CDTReadNeedNext",
        "CDTReadNeedLast",
        "CDTGetAllNewestWebpage",
        "CDTSvrRun",
        "CDTGetImg",
        "CDTReadWebpage",
        "CDTReadPageNoRang",
        "CDTSoftVerUpdate",
    };
    if (code < 0 || code >= static_cast<int>(std::size(names)) || !names[code])
        return QStringLiteral("NoDefine");
    return QString::fromLatin1(names[code]);
}

std::vector<LargeMessage> SplitHotRecommend(const std::vector<HotRecommendItem>& items) {
    std::vector<LargeMessage> records;
    for (size_t start = 0; start < items.size(); start += kHotRecommendPerRecord) {
        auto record = MakeRecord<HotRecommendMessage>(CDTHotRecommend);
        const size_t count = std::min<size_t>(kHotRecommendPerRecord, items.size() - start);
        for (size_t i = 0; i < count; ++i) {
            const HotRecommendItem& item = items[start + i];
            record.entries[i].html.Set(item.html);
            record.entries[i].text.Set(item.text);
            record.entries[i].first.Set(item.first);
            record.entries[i].second.Set(item.second);
        }
        record.count.Set(static_cast<int32_t>(count));
        records.push_back(ToLarge(record));
    }
    return records;
}

std::vector<HotRecommendItem> HotRecommendItemsOf(const LargeMessage& message) {
    const auto record = FromLarge<HotRecommendMessage>(message);
    const int count = std::clamp(record.count.Get(), 0, kHotRecommendPerRecord);
    std::vector<HotRecommendItem> items;
    for (int i = 0; i < count; ++i)
        items.push_back({record.entries[i].html.Get(), record.entries[i].text.Get(),
                         record.entries[i].first.Get(), record.entries[i].second.Get()});
    return items;
}

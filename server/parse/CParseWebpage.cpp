#include "server/parse/CParseWebpage.h"

#include "server/parse/CParseTianya_1.h"
#include "server/parse/CParseTianya_2.h"
#include "server/parse/CParseTianya_3.h"
#include "server/parse/CParseTianya_4.h"

CParseWebpage::CParseWebpage(DocumentPtr document, QString pageAddress, ParsedPageInfo pageInfo)
    : CParseHtml(std::move(document), std::move(pageAddress)), pageInfo_(std::move(pageInfo)) {}

int DetectLayout(const DocumentPtr& document, ParsedPageInfo* info) {
    if (!document)
        return 0;
    static const struct {
        const char* id;
        int layout;
    } markers[] = {{"firstAuthor", 1}, {"content-container", 3}, {"post_head", 4}};
    for (const auto& marker : markers) {
        if (document->ElementById(QString::fromLatin1(marker.id))) {
            if (info)
                info->layout = marker.layout;
            return marker.layout;
        }
    }
    return 0;
}

bool ReadPageInfo(const DocumentPtr& document, QString* address, ParsedPageInfo* info) {
    if (!info)
        return false;
    const int layout = DetectLayout(document, info);
    const CParseHtml page(document, address ? *address : QString());
    switch (layout) {
    case 1:
        return CParseTianya_1::ReadPageInfo(page, address, info);
    case 2:
        return CParseTianya_2::ReadPageInfo(page, address, info);
    case 3:
        return CParseTianya_3::ReadPageInfo(page, address, info);
    case 4:
        return CParseTianya_4::ReadPageInfo(page, address, info);
    default:
        return false;
    }
}

std::unique_ptr<CParseWebpage> CreateParser(int layout, DocumentPtr document,
                                            const QString& address,
                                            const ParsedPageInfo& pageInfo) {
    switch (layout) {
    case 1:
        return std::make_unique<CParseTianya_1>(std::move(document), address, pageInfo);
    case 2:
        return std::make_unique<CParseTianya_2>(std::move(document), address, pageInfo);
    case 3:
        return std::make_unique<CParseTianya_3>(std::move(document), address, pageInfo);
    case 4:
        return std::make_unique<CParseTianya_4>(std::move(document), address, pageInfo);
    default:
        return nullptr;
    }
}

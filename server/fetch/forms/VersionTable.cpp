#include "server/fetch/forms/VersionTable.h"

#include "server/parse/CParseHtml.h"

bool ReadVersionTable(const DocumentPtr& document, QList<VersionRow>* rows) {
    rows->clear();
    if (!document)
        return false;
    const CParseHtml page(document, QString());
    const HtmlNode* body =
        CParseHtml::GetFirstChildNode(page.GetElementById(QStringLiteral("SoftVerUpdate")));
    for (int r = 0; r < kMaxVersionRows; ++r) {
        const HtmlNode* tableRow = CParseHtml::GetChildNode(body, r);
        if (!tableRow)
            break;
        const HtmlNode* cells[6];
        bool complete = true;
        for (int c = 0; c < 6; ++c) {
            cells[c] = CParseHtml::GetChildNode(tableRow, c);
            complete = complete && cells[c];
        }
        if (!complete)
            continue;
        VersionRow row;
        for (int c = 0; c < 5; ++c)
            row.cells[c] = CParseHtml::GetInnerText(cells[c]);
        QList<LinkItem> links;
        CParseHtml::ListAnchors(cells[5], &links);
        for (int l = 0; l < 3 && l < links.size(); ++l)
            row.links[l] = links[l].address;
        rows->append(row);
    }
    return !rows->isEmpty();
}

bool FindUpdate(const QList<VersionRow>& rows, const QString& version, VersionRow* row) {
    for (const VersionRow& candidate : rows) {
        if (QString::compare(version, candidate.cells[0]) >= 0 &&
            QString::compare(version, candidate.cells[1]) <= 0) {
            *row = candidate;
            return true;
        }
    }
    return false;
}

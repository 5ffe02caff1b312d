#include "server/parse/CParseHtml.h"

#include <limits>

namespace {

// Values cut out of serialised HTML still carry the serialiser's character references.
QString DecodeAttributeText(QString value) {
    if (!value.contains(u'&'))
        return value;
    value.replace(QLatin1String("&quot;"), QLatin1String("\""));
    value.replace(QLatin1String("&lt;"), QLatin1String("<"));
    value.replace(QLatin1String("&gt;"), QLatin1String(">"));
    value.replace(QLatin1String("&nbsp;"), QString(QChar(0x00A0)));
    value.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return value;
}

QString QuotedValueAfter(const QString& text, const QString& lower, const QString& marker) {
    const qsizetype at = lower.indexOf(marker);
    if (at < 0)
        return {};
    const qsizetype open = text.indexOf(u'"', at + marker.size());
    if (open < 0)
        return {};
    const qsizetype close = text.indexOf(u'"', open + 1);
    if (close < 0)
        return {};
    return text.mid(open + 1, close - open - 1);
}

bool ContainsAfterFirst(const QString& text, const QString& part) {
    return text.indexOf(part) > 0;
}

} // namespace

int DecimalValue(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    long long value = 0;
    bool any = false;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return -1; // never cut to its first digits
        any = true;
        ++i;
    }
    return any ? int(value) : 0;
}

CParseHtml::CParseHtml(DocumentPtr document, QString pageAddress)
    : document_(std::move(document)), pageAddress_(std::move(pageAddress)) {}

CParseHtml::Element CParseHtml::GetElementById(const QString& id) const {
    return document_ ? document_->ElementById(id) : nullptr;
}

CParseHtml::Element CParseHtml::GetItem(const std::vector<Element>& collection, int position) {
    return position >= 0 && size_t(position) < collection.size() ? collection[size_t(position)]
                                                                 : nullptr;
}

std::vector<CParseHtml::Element> CParseHtml::GetAll(Element element) {
    return element ? element->DescendantElements() : std::vector<Element>();
}

CParseHtml::Element CParseHtml::GetFirstChildNode(Element element) {
    if (!element)
        return nullptr;
    for (const HtmlNode* child : element->ChildNodes())
        if (child->NodeKind() != HtmlNode::Kind::Whitespace)
            return child;
    return nullptr;
}

CParseHtml::Element CParseHtml::GetChildNode(Element element, int n) {
    if (!element || n < 0)
        return nullptr;
    int position = 0;
    for (const HtmlNode* child : element->ChildNodes()) {
        if (child->NodeKind() == HtmlNode::Kind::Whitespace)
            continue;
        if (position++ == n)
            return child->IsElement() ? child : nullptr;
    }
    return nullptr;
}

QString CParseHtml::GetInnerText(Element element) {
    return element ? element->Document().InnerText(element) : QString();
}

QString CParseHtml::GetOuterHtml(Element element) {
    return element ? element->Document().OuterHtml(element) : QString();
}

QString CParseHtml::GetClassName(Element element) {
    return element && element->IsElement() ? element->ClassName() : QString();
}

CParseHtml::Element CParseHtml::FindByClassName(Element element, const QString& className) {
    if (!element)
        return nullptr;
    for (const HtmlNode& node : element->Descendants())
        if (node.IsElement() && node.ClassName() == className)
            return &node;
    return nullptr;
}

CParseHtml::Element CParseHtml::FindAnchorByText(Element element, const QString& text) {
    if (!element)
        return nullptr;
    for (const HtmlNode& node : element->Descendants())
        if (IsLink(&node) && GetInnerText(&node) == text)
            return &node;
    return nullptr;
}

bool CParseHtml::GetAnchorHrefByText(Element element, const QString& text, QString* href) {
    Element link = FindAnchorByText(element, text);
    if (!link)
        return false;
    if (href)
        *href = GetHref(link);
    return true;
}

QString CParseHtml::GetHref(Element link) {
    return link ? link->Document().ResolvedHref(link) : QString();
}

void CParseHtml::ListAnchors(Element element, QList<LinkItem>* links) {
    if (!links)
        return;
    links->clear();
    if (!element)
        return;
    for (const HtmlNode& node : element->Descendants()) {
        if (!IsLink(&node))
            continue;
        LinkItem item{GetInnerText(&node), GetHref(&node)};
        if (!item.text.isEmpty() && !item.address.isEmpty())
            links->append(item);
    }
}

QStringList CParseHtml::ListImageUrls(Element element) {
    QStringList addresses;
    if (!element)
        return addresses;
    for (const HtmlNode& node : element->Descendants()) {
        if (!IsImage(&node))
            continue;
        const QString address = ExtractImageUrl(GetOuterHtml(&node));
        // A relative address could never be downloaded; make it what a browser would load.
        if (!address.isEmpty())
            addresses.append(node.Document().ResolveAddress(address));
    }
    return addresses;
}

QString CParseHtml::ExtractImageUrl(const QString& outerHtml) {
    const QString lower = outerHtml.toLower();
    QString address = QuotedValueAfter(outerHtml, lower, QStringLiteral(" original"));
    if (address.isEmpty())
        address = QuotedValueAfter(outerHtml, lower, QStringLiteral(" src"));
    return DecodeAttributeText(address);
}

CParseHtml::Element CParseHtml::FindButtonByValue(Element element, const QString& text) {
    if (!element)
        return nullptr;
    for (const HtmlNode& node : element->Descendants())
        if (IsInputButton(&node) && node.Attribute(QStringLiteral("value")) == text)
            return &node;
    return nullptr;
}

QString CParseHtml::GetDocumentUrl() const {
    return document_ ? document_->DocumentUrl() : QString();
}

int CParseHtml::ClassifyErrorPage() const {
    if (!document_ || !document_->Body())
        return 1;
    const QString text = GetInnerText(document_->Body());
    if (text.size() >= 1024)
        return 0;
    auto containsAll = [&](std::initializer_list<const char16_t*> parts) {
        for (const char16_t* part : parts)
            if (!text.contains(QString::fromUtf16(part)))
                return false;
        return true;
    };
    if (containsAll({u"此程序无法显示网页", u"未连接到 Internet", u"该网站遇到了问题",
                     u"在地址中可能存在键入错误"}))
        return 3;
    if (containsAll({u"已取消到该网页的导航", u"您可以尝试以下操作", u"刷新该网页"}))
        return 3;
    if (text.size() < 256 && ContainsAfterFirst(text, QStringLiteral("HTTP 500 - server error")))
        return 2;
    if (text.size() < 512 && ContainsAfterFirst(text, QStringLiteral("HTTP 404 - File not found")))
        return 2;
    if (text.size() < 512 && ContainsAfterFirst(text, QStringLiteral("页面不存在")) &&
        ContainsAfterFirst(text, QStringLiteral("删除")) &&
        ContainsAfterFirst(text, QStringLiteral("更名")))
        return 2;
    return 0;
}

bool CParseHtml::IsLink(Element element) {
    return element && element->IsElement() && element->HasTag("a");
}

bool CParseHtml::IsImage(Element element) {
    return element && element->IsElement() && element->HasTag("img");
}

bool CParseHtml::IsInputButton(Element element) {
    if (!element || !element->IsElement() || !element->HasTag("input"))
        return false;
    const QString type = element->Attribute(QStringLiteral("type")).toLower();
    return type == QLatin1String("button") || type == QLatin1String("submit") ||
           type == QLatin1String("reset");
}

#pragma once

#include "server/parse/HtmlDocument.h"
#include "server/parse/LinkItem.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// The tree operations every page parser shares. Every operation tolerates missing parts: a
// missing document, element or attribute gives none, false or an empty text. Comparisons are
// exact and case-sensitive. Nothing here writes to the log.
class CParseHtml {
public:
    using Element = const HtmlNode*;

    CParseHtml(DocumentPtr document, QString pageAddress);
    virtual ~CParseHtml() = default;

    const DocumentPtr& Document() const { return document_; }
    const QString& PageAddress() const { return pageAddress_; }

    Element GetElementById(const QString& id) const;
    // The element at `position` of a collection, or none.
    static Element GetItem(const std::vector<Element>& collection, int position);
    // Every element below `element`, in document order.
    static std::vector<Element> GetAll(Element element);
    // Its first child node (text nodes count, layout white space between tags does not).
    static Element GetFirstChildNode(Element element);
    // Child node number `n` (from 0) when it is an element; none when there are n or fewer.
    static Element GetChildNode(Element element, int n);
    static QString GetInnerText(Element element);
    static QString GetOuterHtml(Element element);
    static QString GetClassName(Element element);
    // The first descendant whose whole class attribute equals `className`.
    static Element FindByClassName(Element element, const QString& className);
    // The first link among the descendants whose inner text equals `text`.
    static Element FindAnchorByText(Element element, const QString& text);
    static bool GetAnchorHrefByText(Element element, const QString& text, QString* href);
    // The link's address resolved against the page, as a browser gives it.
    static QString GetHref(Element link);
    // The links among the descendants whose text and address are both not empty; `links` is
    // emptied first.
    static void ListAnchors(Element element, QList<LinkItem>* links);
    // The address of every picture among the descendants, in document order.
    static QStringList ListImageUrls(Element element);
    // The picture address in one image tag's HTML: the double-quoted value after " original"
    // (pages that load pictures late), else the one after " src"; empty otherwise.
    static QString ExtractImageUrl(const QString& outerHtml);
    // The first input button among the descendants whose value equals `text`.
    static Element FindButtonByValue(Element element, const QString& text);
    QString GetDocumentUrl() const;
    // 0 a normal page, 1 no document or no body, 2 a missing or removed page, 3 the browser's
    // own error page.
    int ClassifyErrorPage() const;

    static bool IsLink(Element element);
    static bool IsImage(Element element);
    static bool IsInputButton(Element element);

private:
    DocumentPtr document_;
    QString pageAddress_;
};

// Leading decimal digits of a text after any white space, as a number; 0 without digits, -1
// when they exceed the integer range.
int DecimalValue(const QString& text);

#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <span>
#include <vector>

class HtmlDocument;

struct HtmlAttribute {
    QString name; // lower case, as the HTML parser normalises it
    QString value;
};

// One node of an immutable document tree. Nodes live in their document in document order
// (pre-order), so an element's descendants are the nodes that follow it up to `SubtreeEnd`.
class HtmlNode {
public:
    enum class Kind { Document, Element, Text, Whitespace, Comment };

    Kind NodeKind() const { return kind_; }
    bool IsElement() const { return kind_ == Kind::Element; }
    // Text nodes, whitespace-only ones included.
    bool IsText() const { return kind_ == Kind::Text || kind_ == Kind::Whitespace; }

    // Lower-case tag name of an element; empty for other nodes.
    const QString& Tag() const { return tag_; }
    bool HasTag(const char* lowerName) const { return tag_ == QLatin1String(lowerName); }
    // Text of a text or comment node, character references already decoded.
    const QString& Text() const { return text_; }

    const QList<HtmlAttribute>& Attributes() const { return attributes_; }
    bool HasAttribute(const QString& name) const;
    // The attribute's value; empty when it is missing.
    QString Attribute(const QString& name) const;
    QString Id() const { return Attribute(QStringLiteral("id")); }
    // The class attribute as written, as a whole.
    QString ClassName() const { return Attribute(QStringLiteral("class")); }

    const HtmlNode* Parent() const;
    // Direct children in order, every text node included.
    const std::vector<const HtmlNode*>& ChildNodes() const { return children_; }
    // Direct children without whitespace-only text nodes: the child list the forum's pages
    // were written against, where the layout between tags does not count as a node.
    std::vector<const HtmlNode*> SignificantChildNodes() const;
    // Direct child elements in order.
    std::vector<const HtmlNode*> ChildElements() const;
    // Every element of the subtree below this node, in document order.
    std::vector<const HtmlNode*> DescendantElements() const;
    // The whole subtree below this node (not the node itself), in document order.
    std::span<const HtmlNode> Descendants() const;

    const HtmlDocument& Document() const { return *document_; }

private:
    friend class HtmlDocument;
    friend class HtmlTreeBuilder;

    Kind kind_ = Kind::Element;
    QString tag_;
    QString text_;
    QList<HtmlAttribute> attributes_;
    const HtmlDocument* document_ = nullptr;
    int index_ = 0;
    int parent_ = -1;
    int subtreeEnd_ = 0; // one past the last descendant
    std::vector<const HtmlNode*> children_;
};

// A parsed page: built once, read-only afterwards, so it can be shared between threads.
// No handle of the HTML parser outlives the constructor.
class HtmlDocument {
public:
    // Parses `html` like a browser does. Links resolve against `baseAddress`; `documentUrl` is
    // the document's own address as loaded.
    HtmlDocument(const QString& html, const QString& baseAddress, const QString& documentUrl);
    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

    const HtmlNode* Root() const { return &nodes_.front(); }
    // The body element; none only when the parser produced none.
    const HtmlNode* Body() const { return body_; }
    // The first element in document order with that id.
    const HtmlNode* ElementById(const QString& id) const;

    const QString& BaseAddress() const { return baseAddress_; }
    const QString& DocumentUrl() const { return documentUrl_; }

    // The href of a link resolved against the base address, as a browser's `href` property
    // gives it; empty when the element has no href attribute.
    QString ResolvedHref(const HtmlNode* element) const;
    // `value` resolved against the base address.
    QString ResolveAddress(const QString& value) const;

    // The browser-like inner text of a node (see InnerText.h for the rule).
    QString InnerText(const HtmlNode* node) const;
    // The node serialised as HTML, attribute values in double quotes.
    QString OuterHtml(const HtmlNode* node) const;

    int NodeCount() const { return int(nodes_.size()); }
    const HtmlNode* NodeAt(int index) const { return &nodes_[size_t(index)]; }

private:
    friend class HtmlTreeBuilder;

    std::vector<HtmlNode> nodes_;
    const HtmlNode* body_ = nullptr;
    QHash<QString, int> firstElementById_;
    QString baseAddress_;
    QString documentUrl_;
};

using DocumentPtr = std::shared_ptr<const HtmlDocument>;

#include "server/parse/HtmlDocument.h"

#include "server/parse/InnerText.h"

#include <QUrl>
#include <cstdlib>
#include <gumbo.h>

namespace {

// Memory for one parse. The parser's own clean-up walks the tree recursively, which deeply
// nested pages turn into a stack overflow; taking its memory from an arena that is released
// in one go avoids that walk altogether (and most of the allocator's work).
class ParseArena {
public:
    ParseArena() = default;
    ParseArena(const ParseArena&) = delete;
    ParseArena& operator=(const ParseArena&) = delete;
    ~ParseArena() {
        for (char* chunk : chunks_)
            std::free(chunk);
    }

    void* Allocate(size_t size) {
        size = (size + 15) & ~size_t(15);
        if (size > kChunkSize / 4) {
            char* block = static_cast<char*>(std::malloc(size));
            if (!block)
                std::abort();
            chunks_.push_back(block);
            return block;
        }
        if (!current_ || used_ + size > kChunkSize) {
            current_ = static_cast<char*>(std::malloc(kChunkSize));
            if (!current_)
                std::abort();
            chunks_.push_back(current_);
            used_ = 0;
        }
        void* result = current_ + used_;
        used_ += size;
        return result;
    }

    static void* AllocateCallback(void* arena, size_t size) {
        return static_cast<ParseArena*>(arena)->Allocate(size);
    }
    static void DeallocateCallback(void*, void*) {}

private:
    static constexpr size_t kChunkSize = 256 * 1024;
    std::vector<char*> chunks_;
    char* current_ = nullptr;
    size_t used_ = 0;
};

// Owns the parser's output for the few moments the conversion needs it.
class GumboOutputOwner {
public:
    explicit GumboOutputOwner(const QByteArray& utf8) {
        GumboOptions options = kGumboDefaultOptions;
        options.max_errors = 0; // the error list is never read; recording it only costs time
        options.allocator = &ParseArena::AllocateCallback;
        options.deallocator = &ParseArena::DeallocateCallback;
        options.userdata = &arena_;
        output_ = gumbo_parse_with_options(&options, utf8.constData(), size_t(utf8.size()));
    }
    // The output lives in the arena, which the member destructor releases.
    ~GumboOutputOwner() = default;
    GumboOutputOwner(const GumboOutputOwner&) = delete;
    GumboOutputOwner& operator=(const GumboOutputOwner&) = delete;

    const GumboNode* Document() const { return output_ ? output_->document : nullptr; }

private:
    ParseArena arena_;
    GumboOutput* output_ = nullptr;
};

const GumboVector* ChildrenOf(const GumboNode* node) {
    switch (node->type) {
    case GUMBO_NODE_DOCUMENT:
        return &node->v.document.children;
    case GUMBO_NODE_ELEMENT:
    case GUMBO_NODE_TEMPLATE:
        return &node->v.element.children;
    default:
        return nullptr;
    }
}

// Interned tag names, so that thousands of nodes share a handful of strings.
const QString& KnownTagName(GumboTag tag) {
    static const std::vector<QString> names = [] {
        std::vector<QString> list;
        for (int t = 0; t < GUMBO_TAG_LAST; ++t)
            list.push_back(QString::fromLatin1(gumbo_normalized_tagname(GumboTag(t))));
        return list;
    }();
    static const QString empty;
    return tag >= 0 && tag < GUMBO_TAG_LAST ? names[size_t(tag)] : empty;
}

QString TagNameOf(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return KnownTagName(element.tag);
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    QString name = QString::fromUtf8(piece.data, qsizetype(piece.length));
    qsizetype end = 0;
    while (end < name.size() && !name[end].isSpace() && name[end] != u'/' && name[end] != u'>')
        ++end;
    return name.left(end).toLower();
}

bool IsVoidElement(const QString& tag) {
    static const QStringList voids = {"area",  "base",  "basefont", "bgsound", "br",    "col",
                                      "embed", "frame", "hr",       "img",     "input", "keygen",
                                      "link",  "meta",  "param",    "source",  "track", "wbr"};
    return voids.contains(tag);
}

bool IsRawTextParent(const HtmlNode* parent) {
    if (!parent || !parent->IsElement())
        return false;
    static const QStringList raw = {"script",  "style",    "xmp",       "iframe",
                                    "noembed", "noframes", "plaintext", "noscript"};
    return raw.contains(parent->Tag());
}

void AppendEscaped(QString& out, const QString& text, bool inAttribute) {
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case 0x00A0:
            out += QLatin1String("&nbsp;");
            break;
        case u'"':
            if (inAttribute)
                out += QLatin1String("&quot;");
            else
                out += c;
            break;
        case u'<':
            if (inAttribute)
                out += c;
            else
                out += QLatin1String("&lt;");
            break;
        case u'>':
            if (inAttribute)
                out += c;
            else
                out += QLatin1String("&gt;");
            break;
        default:
            out += c;
        }
    }
}

} // namespace

// Turns the parser's tree into our own nodes, without recursion, so that absurdly deep
// pages cannot exhaust the stack.
class HtmlTreeBuilder {
public:
    static void Build(HtmlDocument& document, const GumboNode* gumboRoot) {
        auto& nodes = document.nodes_;
        nodes.reserve(1024);
        nodes.push_back(HtmlNode());
        nodes.back().kind_ = HtmlNode::Kind::Document;
        if (!gumboRoot) {
            nodes.back().subtreeEnd_ = 1;
            Link(document);
            return;
        }

        struct Frame {
            const GumboNode* node;
            int index;
            unsigned next;
        };
        std::vector<Frame> stack;
        stack.push_back({gumboRoot, 0, 0});
        while (!stack.empty()) {
            Frame& top = stack.back();
            const GumboVector* children = ChildrenOf(top.node);
            if (!children || top.next >= children->length) {
                nodes[size_t(top.index)].subtreeEnd_ = int(nodes.size());
                stack.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(children->data[top.next++]);
            const int parentIndex = top.index;
            const int index = int(nodes.size());
            nodes.push_back(HtmlNode());
            HtmlNode& node = nodes.back();
            node.index_ = index;
            node.parent_ = parentIndex;
            node.subtreeEnd_ = index + 1;
            switch (child->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& element = child->v.element;
                node.kind_ = HtmlNode::Kind::Element;
                node.tag_ = TagNameOf(element);
                node.attributes_.reserve(qsizetype(element.attributes.length));
                for (unsigned a = 0; a < element.attributes.length; ++a) {
                    const auto* attribute =
                        static_cast<const GumboAttribute*>(element.attributes.data[a]);
                    node.attributes_.push_back(
                        {QString::fromUtf8(attribute->name), QString::fromUtf8(attribute->value)});
                }
                const QString id = node.Id();
                if (!id.isEmpty() && !document.firstElementById_.contains(id))
                    document.firstElementById_.insert(id, index);
                stack.push_back({child, index, 0});
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_CDATA:
                node.kind_ = HtmlNode::Kind::Text;
                node.text_ = QString::fromUtf8(child->v.text.text);
                break;
            case GUMBO_NODE_WHITESPACE:
                node.kind_ = HtmlNode::Kind::Whitespace;
                node.text_ = QString::fromUtf8(child->v.text.text);
                break;
            case GUMBO_NODE_COMMENT:
                node.kind_ = HtmlNode::Kind::Comment;
                node.text_ = QString::fromUtf8(child->v.text.text);
                break;
            default:
                node.kind_ = HtmlNode::Kind::Comment;
                break;
            }
        }
        Link(document);
    }

private:
    // Pointers are taken only once the node vector no longer grows.
    static void Link(HtmlDocument& document) {
        for (HtmlNode& node : document.nodes_) {
            node.document_ = &document;
            if (node.parent_ >= 0)
                document.nodes_[size_t(node.parent_)].children_.push_back(&node);
            if (!document.body_ && node.IsElement() && node.tag_ == QLatin1String("body"))
                document.body_ = &node;
        }
    }
};

bool HtmlNode::HasAttribute(const QString& name) const {
    for (const HtmlAttribute& attribute : attributes_)
        if (attribute.name == name)
            return true;
    return false;
}

QString HtmlNode::Attribute(const QString& name) const {
    for (const HtmlAttribute& attribute : attributes_)
        if (attribute.name == name)
            return attribute.value;
    return {};
}

const HtmlNode* HtmlNode::Parent() const {
    return parent_ >= 0 ? document_->NodeAt(parent_) : nullptr;
}

std::vector<const HtmlNode*> HtmlNode::SignificantChildNodes() const {
    std::vector<const HtmlNode*> result;
    result.reserve(children_.size());
    for (const HtmlNode* child : children_)
        if (child->kind_ != Kind::Whitespace)
            result.push_back(child);
    return result;
}

std::vector<const HtmlNode*> HtmlNode::ChildElements() const {
    std::vector<const HtmlNode*> result;
    for (const HtmlNode* child : children_)
        if (child->IsElement())
            result.push_back(child);
    return result;
}

std::vector<const HtmlNode*> HtmlNode::DescendantElements() const {
    std::vector<const HtmlNode*> result;
    for (const HtmlNode& node : Descendants())
        if (node.IsElement())
            result.push_back(&node);
    return result;
}

std::span<const HtmlNode> HtmlNode::Descendants() const {
    const HtmlNode* first = this + 1;
    return {first, size_t(subtreeEnd_ - index_ - 1)};
}

HtmlDocument::HtmlDocument(const QString& html, const QString& baseAddress,
                           const QString& documentUrl)
    : baseAddress_(baseAddress), documentUrl_(documentUrl) {
    const QByteArray utf8 = html.toUtf8();
    GumboOutputOwner output(utf8);
    HtmlTreeBuilder::Build(*this, output.Document());
}

const HtmlNode* HtmlDocument::ElementById(const QString& id) const {
    const auto found = firstElementById_.constFind(id);
    return found == firstElementById_.constEnd() ? nullptr : NodeAt(found.value());
}

QString HtmlDocument::ResolveAddress(const QString& value) const {
    const QString trimmed = value.trimmed();
    if (trimmed.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        trimmed.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return trimmed;
    const QUrl base(baseAddress_);
    if (baseAddress_.isEmpty() || !base.isValid())
        return trimmed;
    return base.resolved(QUrl(trimmed)).toString();
}

QString HtmlDocument::ResolvedHref(const HtmlNode* element) const {
    if (!element || !element->IsElement() || !element->HasAttribute(QStringLiteral("href")))
        return {};
    return ResolveAddress(element->Attribute(QStringLiteral("href")));
}

QString HtmlDocument::InnerText(const HtmlNode* node) const {
    return node ? ComputeInnerText(*node) : QString();
}

QString HtmlDocument::OuterHtml(const HtmlNode* node) const {
    QString out;
    if (!node)
        return out;
    const int first = node->index_;
    const int end = node->subtreeEnd_;
    std::vector<const HtmlNode*> open;
    auto closeUntil = [&](int index) {
        while (!open.empty() && open.back()->subtreeEnd_ <= index) {
            const HtmlNode* element = open.back();
            open.pop_back();
            out += QLatin1String("</") + element->tag_ + QLatin1Char('>');
        }
    };
    for (int i = first; i < end; ++i) {
        closeUntil(i);
        const HtmlNode& current = nodes_[size_t(i)];
        switch (current.kind_) {
        case HtmlNode::Kind::Document:
            break;
        case HtmlNode::Kind::Element:
            out += QLatin1Char('<') + current.tag_;
            for (const HtmlAttribute& attribute : current.attributes_) {
                out += QLatin1Char(' ') + attribute.name + QLatin1String("=\"");
                AppendEscaped(out, attribute.value, true);
                out += QLatin1Char('"');
            }
            out += QLatin1Char('>');
            if (!IsVoidElement(current.tag_))
                open.push_back(&current);
            break;
        case HtmlNode::Kind::Text:
        case HtmlNode::Kind::Whitespace:
            if (IsRawTextParent(current.Parent()))
                out += current.text_;
            else
                AppendEscaped(out, current.text_, false);
            break;
        case HtmlNode::Kind::Comment:
            out += QLatin1String("<!--") + current.text_ + QLatin1String("-->");
            break;
        }
    }
    closeUntil(end);
    return out;
}

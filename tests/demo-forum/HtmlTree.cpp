#include "tests/demo-forum/HtmlTree.h"

#include <functional>

namespace {

void walk(const GumboNode* node, const std::function<void(const GumboNode*)>& visit) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE)
        return;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT) {
            visit(child);
            walk(child, visit);
        }
    }
}

} // namespace

HtmlTree::HtmlTree(const std::string& html)
    : html_(html),
      output_(gumbo_parse_with_options(&kGumboDefaultOptions, html_.data(), html_.size())) {}

HtmlTree::~HtmlTree() {
    gumbo_destroy_output(&kGumboDefaultOptions, output_);
}

const GumboNode* HtmlTree::ById(const QString& id) const {
    const GumboNode* found = nullptr;
    walk(Root(), [&](const GumboNode* n) {
        if (!found && Attribute(n, "id") == id)
            found = n;
    });
    return found;
}

std::vector<const GumboNode*> HtmlTree::ByClass(const GumboNode* from,
                                                const QString& className) const {
    std::vector<const GumboNode*> result;
    if (from)
        walk(from, [&](const GumboNode* n) {
            if (Attribute(n, "class") == className)
                result.push_back(n);
        });
    return result;
}

std::vector<const GumboNode*> HtmlTree::ByTag(const GumboNode* from, GumboTag tag) const {
    std::vector<const GumboNode*> result;
    if (from)
        walk(from, [&](const GumboNode* n) {
            if (IsTag(n, tag))
                result.push_back(n);
        });
    return result;
}

QString HtmlTree::Attribute(const GumboNode* node, const char* name) {
    if (!node || node->type != GUMBO_NODE_ELEMENT)
        return {};
    const GumboAttribute* a = gumbo_get_attribute(&node->v.element.attributes, name);
    return a ? QString::fromUtf8(a->value) : QString();
}

QString HtmlTree::Text(const GumboNode* node) {
    if (!node)
        return {};
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE)
        return QString::fromUtf8(node->v.text.text);
    if (node->type != GUMBO_NODE_ELEMENT)
        return {};
    if (node->v.element.tag == GUMBO_TAG_BR)
        return QStringLiteral("\n");
    QString text;
    for (const GumboNode* child : ChildNodes(node))
        text += Text(child);
    return text;
}

std::vector<const GumboNode*> HtmlTree::ChildNodes(const GumboNode* node) {
    std::vector<const GumboNode*> result;
    if (!node || node->type != GUMBO_NODE_ELEMENT)
        return result;
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        result.push_back(static_cast<const GumboNode*>(children.data[i]));
    return result;
}

bool HtmlTree::IsTag(const GumboNode* node, GumboTag tag) {
    return node && node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

std::vector<std::pair<QString, QString>> HtmlTree::Links(const GumboNode* node) {
    std::vector<std::pair<QString, QString>> result;
    if (IsTag(node, GUMBO_TAG_A))
        result.emplace_back(Text(node), Attribute(node, "href"));
    if (node)
        walk(node, [&](const GumboNode* n) {
            if (IsTag(n, GUMBO_TAG_A))
                result.emplace_back(Text(n), Attribute(n, "href"));
        });
    return result;
}

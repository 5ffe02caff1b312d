#pragma once

#include <QString>
#include <QStringList>
#include <gumbo.h>
#include <string>
#include <vector>

// A parsed page for checks: the same HTML5 tree construction a browser does.
class HtmlTree {
public:
    explicit HtmlTree(const std::string& html);
    ~HtmlTree();
    HtmlTree(const HtmlTree&) = delete;
    HtmlTree& operator=(const HtmlTree&) = delete;

    const GumboNode* Root() const { return output_->root; }
    const GumboNode* ById(const QString& id) const;
    // Descendants of `from` (document order) whose class attribute is exactly `className`.
    std::vector<const GumboNode*> ByClass(const GumboNode* from, const QString& className) const;
    std::vector<const GumboNode*> ByTag(const GumboNode* from, GumboTag tag) const;

    static QString Attribute(const GumboNode* node, const char* name);
    // Text of the subtree; <br> gives "\n".
    static QString Text(const GumboNode* node);
    // Direct children, text nodes included.
    static std::vector<const GumboNode*> ChildNodes(const GumboNode* node);
    static bool IsTag(const GumboNode* node, GumboTag tag);
    // Links among the descendants as (text, href).
    static std::vector<std::pair<QString, QString>> Links(const GumboNode* node);

private:
    std::string html_;
    GumboOutput* output_;
};

#include "server/parse/InnerText.h"

#include "server/parse/HtmlDocument.h"

namespace {

bool IsBlockTag(const QString& tag) {
    static const QStringList blocks = {
        "address", "article", "aside",  "blockquote", "body", "caption",   "center",   "dd",
        "details", "dialog",  "dir",    "div",        "dl",   "dt",        "fieldset", "figcaption",
        "figure",  "footer",  "form",   "h1",         "h2",   "h3",        "h4",       "h5",
        "h6",      "header",  "hgroup", "hr",         "html", "legend",    "li",       "listing",
        "main",    "menu",    "nav",    "ol",         "p",    "plaintext", "pre",      "section",
        "summary", "table",   "tr",     "ul",         "xmp"};
    return blocks.contains(tag);
}

bool IsSilentTag(const QString& tag) {
    return tag == QLatin1String("script") || tag == QLatin1String("style") ||
           tag == QLatin1String("head") || tag == QLatin1String("title") ||
           tag == QLatin1String("noscript") || tag == QLatin1String("template");
}

bool IsPreformattedTag(const QString& tag) {
    return tag == QLatin1String("pre") || tag == QLatin1String("textarea") ||
           tag == QLatin1String("listing") || tag == QLatin1String("xmp") ||
           tag == QLatin1String("plaintext");
}

bool IsCell(const HtmlNode* node) {
    return node->IsElement() && (node->HasTag("td") || node->HasTag("th"));
}

bool IsCollapsible(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

class InnerTextWriter {
public:
    void Text(const QString& text, bool preformatted) {
        if (preformatted) {
            if (text.isEmpty())
                return;
            FlushBreaks();
            for (QChar c : text)
                if (c != u'\r')
                    out_ += c;
            suppressSpace_ = out_.endsWith(u'\n');
            pendingSpace_ = false;
            return;
        }
        for (QChar c : text) {
            if (IsCollapsible(c)) {
                pendingSpace_ = true;
                continue;
            }
            if (pendingBreaks_ > 0) {
                FlushBreaks();
            } else if (pendingSpace_ && !suppressSpace_) {
                out_ += u' ';
            }
            pendingSpace_ = false;
            suppressSpace_ = false;
            out_ += c;
        }
    }

    void RequireBreak() {
        pendingBreaks_ = 1;
        pendingSpace_ = false;
    }

    void LineBreak() {
        FlushBreaks();
        out_ += u'\n';
        pendingSpace_ = false;
        suppressSpace_ = true;
    }

    void CellSeparator() {
        FlushBreaks();
        out_ += u'\t';
        pendingSpace_ = false;
        suppressSpace_ = true;
    }

    QString Result() const { return out_; }

private:
    // Breaks that a block asked for appear only when more text follows, never at the start.
    void FlushBreaks() {
        if (pendingBreaks_ > 0 && !out_.isEmpty() && !out_.endsWith(u'\n'))
            out_ += u'\n';
        pendingBreaks_ = 0;
        suppressSpace_ = true;
    }

    QString out_;
    int pendingBreaks_ = 0;
    bool pendingSpace_ = false;
    bool suppressSpace_ = true;
};

} // namespace

QString ComputeInnerText(const HtmlNode& node) {
    InnerTextWriter writer;
    int preformatted = 0;
    for (const HtmlNode* ancestor = node.Parent(); ancestor; ancestor = ancestor->Parent())
        if (ancestor->IsElement() && IsPreformattedTag(ancestor->Tag()))
            ++preformatted;

    if (node.IsText()) {
        writer.Text(node.Text(), preformatted > 0);
        return writer.Result();
    }
    if (node.IsElement() && IsSilentTag(node.Tag()))
        return {};

    // Walk the subtree in document order; elements are closed when the walk leaves them.
    const HtmlNode* first = &node;
    const HtmlNode* end = first + 1 + node.Descendants().size();
    std::vector<const HtmlNode*> open;
    auto closeUntil = [&](const HtmlNode* position) {
        while (!open.empty()) {
            const HtmlNode* element = open.back();
            if (element + 1 + element->Descendants().size() > position)
                break;
            open.pop_back();
            const QString& tag = element->Tag();
            if (IsPreformattedTag(tag))
                --preformatted;
            if (IsBlockTag(tag))
                writer.RequireBreak();
            if (IsCell(element) && element != &node) {
                const HtmlNode* parent = element->Parent();
                bool laterCell = false;
                if (parent) {
                    const auto& siblings = parent->ChildNodes();
                    bool seen = false;
                    for (const HtmlNode* sibling : siblings) {
                        if (sibling == element)
                            seen = true;
                        else if (seen && IsCell(sibling)) {
                            laterCell = true;
                            break;
                        }
                    }
                }
                if (laterCell)
                    writer.CellSeparator();
            }
        }
    };

    for (const HtmlNode* current = first; current < end; ++current) {
        closeUntil(current);
        if (current->IsText()) {
            writer.Text(current->Text(), preformatted > 0);
            continue;
        }
        if (!current->IsElement())
            continue;
        const QString& tag = current->Tag();
        if (IsSilentTag(tag)) {
            current += current->Descendants().size(); // skip the whole subtree
            continue;
        }
        if (tag == QLatin1String("br")) {
            writer.LineBreak();
            continue;
        }
        if (IsBlockTag(tag))
            writer.RequireBreak();
        if (IsPreformattedTag(tag))
            ++preformatted;
        open.push_back(current);
    }
    closeUntil(end);
    return writer.Result();
}

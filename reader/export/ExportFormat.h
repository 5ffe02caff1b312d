#pragma once

#include "store/Catalogue.h"
#include "store/ThreadRecords.h"

#include <QString>

// The two kinds of text export: 1231 "导出文本到TXT文件" and 1234 "导出文本到HTML文件".
enum class ExportKind { Text, Html };

// The exact content of the export files, built as text; the files hold it as UTF-8 without a
// byte-order mark, lines ending in "\n".
class ExportFormat {
public:
    // `makerSiteHost` goes into every post's signature.
    ExportFormat(ExportKind kind, const QString& makerSiteHost);

    ExportKind Kind() const { return kind_; }
    // ".txt" or ".html".
    QString Extension() const;
    // What comes before the first post: nothing for text, the head, title and address for HTML.
    void AppendHead(QString& out, const FollowRecord& follow) const;
    void AppendPost(QString& out, const ThreadPost& post) const;
    // What comes after the last post.
    void AppendTail(QString& out) const;

private:
    ExportKind kind_;
    QString textSignature_;
    QString htmlSignature_;
};

// Forum text made safe inside HTML: & < > and " as entities, then each line feed as "<br>".
QString EscapeExportHtml(const QString& text);

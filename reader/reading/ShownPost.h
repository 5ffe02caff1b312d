#pragma once

#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

// One post of a screen as the reading window shows it: the stored post and the colour that
// the view mode gives it ("#FF0000" highlighted, "#808080" plain, empty in filter modes).
struct ShownPost {
    int pageNo = 0;
    QString author;
    QString time;
    QString content;
    QString colour;

    static ShownPost Of(const ThreadPost& post, const QString& colour = {}) {
        return {post.pageNo, post.author, post.time, post.content, colour};
    }
    // A post is identified by page, author and time; content and colour do not count.
    bool SamePost(const ShownPost& other) const {
        return pageNo == other.pageNo && author == other.author && time == other.time;
    }
};

using ShownPosts = QList<ShownPost>;

// A copy of the model's screen: its posts and the pages of its four markers.
struct ShownScreen {
    ShownPosts posts;
    int previousPage = 0; // non-zero: an earlier screen exists
    int nextPage = 0;     // non-zero: a following screen exists
    int startPage = 0;    // 0 while the newest posts are shown without a chosen start
    int endPage = 0;
};

#pragma once

#include "reader/model/ReadingTypes.h"
#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

// A post of a screen as the reading window shows it: the stored post and the colour that the
// view mode gives it ("#FF0000" highlighted, "#808080" plain, empty in filter modes).
using ShownPost = ReadingPost;
using ShownPosts = QList<ReadingPost>;
// A copy of the model's screen: its posts and the pages of its four markers.
using ShownScreen = ReadingScreen;

inline ShownPost ShownPostOf(const ThreadPost& post, const QString& colour = {}) {
    return {post.pageNo, post.author, post.time, post.content, colour};
}

#pragma once

#include "common/Utilities.h"

#include <QList>
#include <QString>

// Shared vocabulary of the reading model: the filter modes, the reading operations, the
// screen sizes and the post record a screen is made of.

// How a screen is filtered. Any other value lets no post pass.
enum ViewMode : int {
    OnlyStarter = 0,      // the thread starter's posts only
    HighlightStarter = 1, // every post, the starter's in red
    OnlyChosen = 2,       // the chosen people's posts only
    HighlightChosen = 3,  // every post, the chosen people's in red
    BlockChosen = 4,      // every post except the blocked people's
    OnlyWords = 5,        // posts that contain at least one chosen word
};

// The reading operations, numbered as `RequestReadOperation` takes them and as
// `UM_READ_OP_DONE` reports them.
enum ReadOperation : int {
    OpFirst = 1,    // the first screen of the thread
    OpPrevious = 2, // the screen before this one
    OpOpen = 3,     // rebuild the screen from the start post (or choose where to begin)
    OpNext = 4,     // the screen after this one
    OpLatest = 5,   // the newest posts
    OpGotoPage = 6, // the screen that begins with a page (the value is its number)
};

// Posts read from the thread database at a time: at most this many consecutive pages.
inline constexpr int PageRun = 10;

// Posts on a screen: 30 where every post is shown (modes 1 and 3), else 12.
constexpr int ScreenSize(int mode) {
    return mode == HighlightStarter || mode == HighlightChosen ? 30 : 12;
}

// The colours the highlighting modes give; other modes leave the colour empty.
inline const QString HighlightColour = QStringLiteral("#FF0000");
inline const QString PlainColour = QStringLiteral("#808080");

// One post as the reader shows it, also used as a position ("marker"). A post is
// identified by page, author and time; content and colour are not compared. Page 0 stands
// for no post; page `LatestSentinelPage` as a start position for "the newest posts".
struct ReadingPost {
    int pageNo = 0;
    QString author;
    QString time;
    QString content;
    QString colour;

    bool IsNone() const { return pageNo == 0; }
    bool SamePost(const ReadingPost& other) const {
        return pageNo == other.pageNo && author == other.author && time == other.time;
    }
};

// A copy of the screen and its four markers' pages, as `GetScreen` hands it out.
struct ReadingScreen {
    QList<ReadingPost> posts;
    int previousPage = 0; // non-zero: an earlier screen exists
    int nextPage = 0;     // non-zero: a following screen exists
    int startPage = 0;    // 0 also while no start post is chosen (the newest posts)
    int endPage = 0;      // page of the last stored post the screen covers
};

// What the page state strip needs: the stored pages and the screen's range.
struct ReadingPageState {
    QList<int> storedPages; // ascending
    int startPage = 0;      // 0 also while no start post is chosen
    int endPage = 0;
};

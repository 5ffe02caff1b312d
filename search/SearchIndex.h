#pragma once

#include "search/SearchExcerpt.h"
#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

#include <atomic>

// Full-text search over the posts of every followed thread.
//
// The index is its own database file in the home, "SearchIndex.db", read and written through
// the store's access cycle: every call takes the file's cross-process lock, opens the file,
// runs one short transaction, closes it and releases the lock, so a storing server and a
// searching reader only ever wait for each other's single step. It holds a copy of each
// post with its follow number, page, time and author; a full-text table over it finds
// Chinese words of one and more characters, Latin words in any letter case and phrases
// (see search/SearchTokenizer.h for what a term is).
//
// Keeping it current:
// - the server hands every page it stored to its SearchIndexer (search/SearchIndexer.h),
//   which indexes it within moments on its own thread (IndexStoredPages);
// - SynchroniseSearchIndex compares the index with the catalogue and the thread files: it
//   drops the posts of follows that are gone (purged at the reader's start) and indexes
//   pages that are stored but not indexed. When the index file is missing, damaged or of
//   another format, it is made anew and filled from the thread files in small steps. The
//   reader runs it in the background at start; it costs two small queries per follow when
//   nothing is missing;
// - any call that finds the file damaged makes it anew (empty) and says so, so that the
//   caller can start a synchronisation.
//
// All functions may be called from any thread, each call being independent.
//
// A tool that searches a home on its own (the terminal tool): SearchPosts; when the answer is
// `incomplete`, SynchroniseSearchIndex and search again.

inline const QString kSearchIndexName = QStringLiteral("SearchIndex.db");

// One post found.
struct SearchHit {
    int focusPageNo = 0;
    QString threadTitle; // the follow's title in the catalogue
    int pageNo = 0;
    QString author;
    QString time;    // "%04d-%02d-%02d %02d:%02d:%02d" as stored
    QString excerpt; // about a hundred characters around the first hit, white space collapsed
    QList<SearchMark> marks; // every hit inside the excerpt
};

struct SearchRequest {
    // Words separated by white space must all occur; text in double quotes ("..." or
    // “...”) is one phrase.
    QString words;
    int focusPageNo = 0; // 0: every thread
    QString author;      // empty: every author; otherwise the exact user name
    int limit = 50;
    int offset = 0; // hits to skip, for the next page of results
};

struct SearchAnswer {
    bool ok = false;      // false: the index could not be read (the reason is logged)
    bool noWords = false; // the words hold nothing to search for (only punctuation)
    // The index is being made anew (it was missing or damaged) and hits may be missing until
    // a synchronisation completes.
    bool incomplete = false;
    QList<SearchHit> hits; // newest first (by post time), at most `limit`
};

// Finds posts of followed threads. Posts of threads that are no longer in the catalogue are
// never returned.
SearchAnswer SearchPosts(const SearchRequest& request);

// The words of a request as the search uses them: each phrase once, without punctuation-only
// parts. Empty when there is nothing to search for.
QStringList SearchWords(const QString& words);

// Indexes the posts of a page that was just stored in the thread file, reading them back from
// it, so the index holds exactly what the file holds (merged posts included). Runs on the
// calling thread: some milliseconds for a 100-post page, which is why the server goes through
// its SearchIndexer. False when the page could not be indexed (a synchronisation catches up).
bool IndexStoredPage(int focusPageNo, const QString& dbFile, int pageNo);

// The same for several pages of one follow, in one transaction (the indexer's batches).
bool IndexStoredPages(int focusPageNo, const QString& dbFile, const QList<int>& pageNos);

// Indexes the given posts of one page (all of `pageNo`) for a follow and marks the page
// indexed. A post already indexed under the same page, time and author takes the new content.
bool IndexPagePosts(int focusPageNo, const QString& dbFile, int pageNo,
                    const QList<ThreadPost>& posts);

// Removes a follow's posts from the index, in short steps.
bool RemoveThreadFromIndex(int focusPageNo);

struct SearchSyncReport {
    bool reset = false; // the index was missing, damaged or of another format
    int threadsRemoved = 0;
    int pagesIndexed = 0;
};

// Brings the index in line with the catalogue and the thread files (see above). Stops early
// (returning false) when `cancel` becomes true; false also when the catalogue or the index
// cannot be used.
bool SynchroniseSearchIndex(SearchSyncReport* report = nullptr,
                            const std::atomic<bool>* cancel = nullptr);

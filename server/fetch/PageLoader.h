#pragma once

#include "common/ThreadRegistry.h"
#include "server/fetch/WebpageInfo.h"

#include <QString>

// Result of a page loader's run: 1 ended by the stop flag, 2 cancelled (its thread starts
// a replacement so that the number of loaders stays the same).
inline constexpr int kLoaderEndedByStop = 1;
inline constexpr int kLoaderCancelled = 2;

// The longest a page loader waits for a downloaded page before it looks at the stop flag again.
inline constexpr int kPageLoaderTickMs = 2000;

// Turns downloaded pages into documents: each page's body is poured into the Show.html shell
// of the home, parsed without scripts, pictures or network, and handed to the request's
// OnDocument on this loader's thread.
class PageLoader {
public:
    PageLoader();

    // Waits for downloaded pages and loads every one that is queued, until the stop flag is set.
    int Run();

    // Loads one downloaded request; false when the page cannot be cut to its body.
    bool HandHtml(WebpageInfo& request);

    // Empties the loaded queue once (one tick). False when a handler threw, which cancels the
    // loader.
    bool LoadQueuedPages();

    const QString& ShellHtml() const { return shellHtml_; }
    const QString& DocumentUrl() const { return documentUrl_; }

private:
    QString shellHtml_;
    QString documentUrl_;
};

// A page loader thread (`BeginGetWebpageBase`); a cancelled loader starts its replacement
// on the same registry.
void RunPageLoaderThread(ThreadRegistry& threads);
bool StartPageLoaderThread(ThreadRegistry& threads);

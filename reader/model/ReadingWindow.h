#pragma once

#include "reader/model/ReadingObserver.h"

// A reading window as the registry sees it: an observer of its thread's model that can be
// asked to close and can be hidden. The reader's real window implements it; the registry
// owns every window it records and destroys it on the thread that created it.
class ReadingWindow : public ReadingObserver {
public:
    ~ReadingWindow() override = default;

    // Asks the window to close, the way a posted close message does: it closes later, from
    // its own event loop, and then reports with `ReadingWindowRegistry::CloseReadingWindow`.
    // Must not call back into the registry before returning.
    virtual void RequestClose() = 0;
    // Hides the window at once (program exit).
    virtual void HideWindow() = 0;
};

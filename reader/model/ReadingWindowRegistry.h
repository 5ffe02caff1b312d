#pragma once

#include "reader/model/ReadingWindow.h"

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class ReadingModelRegistry;

// The open reading windows (one per follow number, at most ten stay open) and the closed
// ones waiting to be destroyed. The registry owns the windows it records. Windows are
// created, closed and destroyed on the user-interface thread; the lookups may come from
// any thread. No window is called while the registry's lock is held.
class ReadingWindowRegistry {
public:
    using WindowFactory = std::function<std::unique_ptr<ReadingWindow>()>;

    // `models` must outlive the registry; `factory` makes the reader's window objects.
    ReadingWindowRegistry(ReadingModelRegistry& models, WindowFactory factory);
    // As `CloseAllReadingWindows`.
    ~ReadingWindowRegistry();
    ReadingWindowRegistry(const ReadingWindowRegistry&) = delete;
    ReadingWindowRegistry& operator=(const ReadingWindowRegistry&) = delete;

    void SetWindowFactory(WindowFactory factory);

    // When more than nine windows are open, asks the oldest to close; then makes a new
    // window object (null without a factory). The caller sets it up and records it.
    std::unique_ptr<ReadingWindow> CreateReadingWindow();
    // Takes the window as the open window of that thread. A window recorded before for the
    // same number is closed (position saved, hidden) and waits to be destroyed.
    void RecordReadingWindow(int followNo, std::unique_ptr<ReadingWindow> window);
    // The open window of that thread, or null.
    ReadingWindow* FindReadingWindow(int followNo) const;
    // Called when a window has closed: saves its model's reading position and moves the
    // window to those waiting to be destroyed. Unknown windows are ignored.
    void CloseReadingWindow(ReadingWindow* window);
    // For each closed window: it stops observing its model, then is destroyed. Called from
    // a timer, never from a handler of a window that is waiting.
    void DestroyClosedReadingWindows();
    // Program exit: every open window's position is saved, the window hidden and destroyed;
    // then the closed ones are destroyed as above.
    void CloseAllReadingWindows();

    int OpenWindowCount() const;
    int ClosedWindowCount() const;

private:
    struct Entry {
        int followNo = 0;
        std::unique_ptr<ReadingWindow> window;
    };
    void SavePosition(int followNo) const;

    ReadingModelRegistry& models_;
    mutable std::mutex mutex_;
    WindowFactory factory_;
    std::vector<Entry> open_; // oldest first
    std::vector<Entry> closed_;
};

#include "reader/model/ReadingWindowRegistry.h"

#include "reader/model/ReadingModelRegistry.h"

#include <algorithm>

namespace {

// A new window asks the oldest to close when this many are open already.
constexpr size_t kMaxOpenWindows = 10;

} // namespace

ReadingWindowRegistry::ReadingWindowRegistry(ReadingModelRegistry& models, WindowFactory factory)
    : models_(models), factory_(std::move(factory)) {}

ReadingWindowRegistry::~ReadingWindowRegistry() {
    CloseAllReadingWindows();
}

void ReadingWindowRegistry::SetWindowFactory(WindowFactory factory) {
    std::lock_guard guard(mutex_);
    factory_ = std::move(factory);
}

std::unique_ptr<ReadingWindow> ReadingWindowRegistry::CreateReadingWindow() {
    ReadingWindow* oldest = nullptr;
    WindowFactory factory;
    {
        std::lock_guard guard(mutex_);
        if (open_.size() >= kMaxOpenWindows)
            oldest = open_.front().window.get();
        factory = factory_;
    }
    if (oldest)
        oldest->RequestClose();
    return factory ? factory() : nullptr;
}

void ReadingWindowRegistry::RecordReadingWindow(int followNo,
                                                std::unique_ptr<ReadingWindow> window) {
    if (!window)
        return;
    ReadingWindow* replaced = nullptr;
    {
        std::lock_guard guard(mutex_);
        const auto it = std::find_if(open_.begin(), open_.end(),
                                     [followNo](const Entry& e) { return e.followNo == followNo; });
        if (it == open_.end()) {
            open_.push_back(Entry{followNo, std::move(window)});
            return;
        }
        // The earlier window of this thread must not stay on screen untracked.
        replaced = it->window.get();
        closed_.push_back(Entry{followNo, std::move(it->window)});
        it->window = std::move(window);
    }
    SavePosition(followNo);
    replaced->HideWindow();
}

ReadingWindow* ReadingWindowRegistry::FindReadingWindow(int followNo) const {
    std::lock_guard guard(mutex_);
    for (const Entry& entry : open_)
        if (entry.followNo == followNo)
            return entry.window.get();
    return nullptr;
}

void ReadingWindowRegistry::CloseReadingWindow(ReadingWindow* window) {
    int followNo = 0;
    {
        std::lock_guard guard(mutex_);
        const auto it = std::find_if(open_.begin(), open_.end(),
                                     [window](const Entry& e) { return e.window.get() == window; });
        if (it == open_.end())
            return;
        followNo = it->followNo;
        closed_.push_back(std::move(*it));
        open_.erase(it);
    }
    SavePosition(followNo);
}

void ReadingWindowRegistry::DestroyClosedReadingWindows() {
    std::vector<Entry> closed;
    {
        std::lock_guard guard(mutex_);
        closed.swap(closed_);
    }
    for (Entry& entry : closed) {
        models_.RemoveModelObserver(entry.followNo, entry.window.get());
        entry.window.reset();
    }
}

void ReadingWindowRegistry::CloseAllReadingWindows() {
    std::vector<Entry> open;
    {
        std::lock_guard guard(mutex_);
        open.swap(open_);
    }
    for (Entry& entry : open) {
        SavePosition(entry.followNo);
        entry.window->HideWindow();
        entry.window.reset();
    }
    DestroyClosedReadingWindows();
}

int ReadingWindowRegistry::OpenWindowCount() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(open_.size());
}

int ReadingWindowRegistry::ClosedWindowCount() const {
    std::lock_guard guard(mutex_);
    return static_cast<int>(closed_.size());
}

void ReadingWindowRegistry::SavePosition(int followNo) const {
    if (const auto model = models_.FindReadingModel(followNo))
        model->SaveReadingPosition();
}

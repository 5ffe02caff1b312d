#include "reader/ReadingWindows.h"

#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"

ReadingWindowEvents* RegistryReadingWindows::Find(int followNo) {
    return dynamic_cast<ReadingWindowEvents*>(windows_.FindReadingWindow(followNo));
}

bool RegistryReadingWindows::ShowOpen(int followNo) {
    ReadingWindow* window = windows_.FindReadingWindow(followNo);
    if (!window)
        return false;
    models_.RequestReadOperation(followNo, window, OpOpen);
    if (auto* setup = dynamic_cast<ReadingWindowSetup*>(window)) {
        setup->ShowWindow();
        setup->FocusWindow();
    }
    return true;
}

bool RegistryReadingWindows::Open(int followNo, const QString& title, int pageCount,
                                  const QString& userName) {
    std::unique_ptr<ReadingWindow> window = windows_.CreateReadingWindow();
    auto* setup = dynamic_cast<ReadingWindowSetup*>(window.get());
    if (!setup)
        return false;
    setup->Setup(followNo, title, pageCount, userName);
    setup->ShowWindow();
    windows_.RecordReadingWindow(followNo, std::move(window));
    setup->FocusWindow();
    return true;
}

bool RegistryReadingWindows::Close(int followNo) {
    ReadingWindow* window = windows_.FindReadingWindow(followNo);
    if (!window)
        return false;
    window->HideWindow();
    windows_.CloseReadingWindow(window);
    return true;
}

void RegistryReadingWindows::DestroyClosed() {
    windows_.DestroyClosedReadingWindows();
}

void RegistryReadingWindows::CloseAll() {
    windows_.CloseAllReadingWindows();
}

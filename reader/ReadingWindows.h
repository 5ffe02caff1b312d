#pragma once

#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class ReadingModelRegistry;
class ReadingWindowRegistry;

// What the main window's dispatcher tells the open reading window of a follow. The reading
// window implements it beside `ReadingWindow`.
class ReadingWindowEvents {
public:
    virtual ~ReadingWindowEvents() = default;
    virtual void OnReplyAnswer(int result, const QString& message) = 0;
    virtual void OnRefreshDone() = 0;
    virtual void OnChosenPageFetched(int page, bool stored) = 0;
    virtual void OnLaterPagesStored(int firstWanted, int lastParsed) = 0;
    virtual void OnEarlierPagesStored(int firstWanted, int lastParsed) = 0;
    virtual void OnNewestPagesStored() = 0;
    virtual void OnPictureStored(const QString& address, const QList<PicturePost>& posts) = 0;
};

// What the follow list and the dispatcher need of the open reading windows.
class ReadingWindows {
public:
    virtual ~ReadingWindows() = default;
    // The open window of a follow, or none.
    virtual ReadingWindowEvents* Find(int followNo) = 0;
    // Shows the open window of a follow again and asks its model to reopen the view; false
    // when none is open.
    virtual bool ShowOpen(int followNo) = 0;
    // Creates, shows and registers a window; false when none could be made.
    virtual bool Open(int followNo, const QString& title, int pageCount,
                      const QString& userName) = 0;
    // Asks the open window of a follow to show a page; false when none is open.
    virtual bool GotoPage(int followNo, int page) = 0;
    // Hides and closes the open window of a follow; it is destroyed by `DestroyClosed`.
    virtual bool Close(int followNo) = 0;
    virtual void DestroyClosed() = 0;
    virtual void CloseAll() = 0;
    // Runs when a window has closed by itself; the follow list destroys it a second later.
    virtual void SetOnWindowClosed(std::function<void()> onClosed) = 0;
};

class ServerLink;
class CShowContent;

// The reading windows of the reader's registries: `CShowContent` windows, each with a link to
// its model, the server and the reader's services.
class RegistryReadingWindows : public ReadingWindows {
public:
    RegistryReadingWindows(ReadingModelRegistry& models, ReadingWindowRegistry& windows,
                           ServerLink& link);
    ~RegistryReadingWindows() override;
    ReadingWindowEvents* Find(int followNo) override;
    bool ShowOpen(int followNo) override;
    bool Open(int followNo, const QString& title, int pageCount, const QString& userName) override;
    bool GotoPage(int followNo, int page) override;
    bool Close(int followNo) override;
    void DestroyClosed() override;
    void CloseAll() override;
    void SetOnWindowClosed(std::function<void()> onClosed) override { onClosed_ = onClosed; }

private:
    class WindowEvents;
    ReadingModelRegistry& models_;
    ReadingWindowRegistry& windows_;
    ServerLink& link_;
    std::function<void()> onClosed_;
    std::unique_ptr<WindowEvents> events_;
};

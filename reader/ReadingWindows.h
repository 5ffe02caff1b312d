#pragma once

#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

// What the main window's dispatcher tells the open reading window of a follow.
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
    // Hides and closes the open window of a follow; it is destroyed by `DestroyClosed`.
    virtual bool Close(int followNo) = 0;
    virtual void DestroyClosed() = 0;
    virtual void CloseAll() = 0;
};

// The reader before reading windows exist: nothing is open and nothing can be opened.
class NoReadingWindows : public ReadingWindows {
public:
    ReadingWindowEvents* Find(int) override { return nullptr; }
    bool ShowOpen(int) override { return false; }
    bool Open(int, const QString&, int, const QString&) override { return false; }
    bool Close(int) override { return false; }
    void DestroyClosed() override {}
    void CloseAll() override {}
};

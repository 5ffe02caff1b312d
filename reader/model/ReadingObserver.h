#pragma once

#include "reader/model/ReadingEvent.h"

#include <memory>

class ObserverLink;

// Anything that hears from reading models: the reading windows (for their own model) and
// the follow list (for every model). Notifications arrive as `ReadingEvent`s through the
// event loop of the thread that constructed the observer and are handed to
// `OnReadingEvent` there.
//
// An observer that is being destroyed or has gone receives nothing more: models reach it
// only through its `ObserverLink`, which the destructor cuts before any member goes. A
// subclass whose handler uses its own members calls `StopReadingEvents()` first in its
// destructor. Construct and destroy an observer on the same thread.
class ReadingObserver {
public:
    ReadingObserver();
    virtual ~ReadingObserver();
    ReadingObserver(const ReadingObserver&) = delete;
    ReadingObserver& operator=(const ReadingObserver&) = delete;

    // One notification, on the observer's thread. The handler may call back into the
    // model or the registries, and may destroy the observer.
    virtual void OnReadingEvent(const ReadingEvent& event) = 0;

    // The handle models keep to reach this observer from any thread.
    std::shared_ptr<ObserverLink> Link() const { return link_; }

protected:
    // Cuts the link: no notification is delivered after this returns (those already
    // queued are dropped). Idempotent; on the observer's thread only.
    void StopReadingEvents();

private:
    std::shared_ptr<ObserverLink> link_;
};

// Delivers notifications to one observer while it lives; safe to use from any thread.
class ObserverLink {
public:
    // Queues the notification for the observer's thread; does nothing once it has gone.
    void Post(int message, int wParam, int lParam);
    // On the observer's thread the handler runs before this returns; from any other
    // thread the notification is queued as by `Post`.
    void Send(int message, int wParam, int lParam);
    bool IsAlive() const;

    struct State;
    explicit ObserverLink(std::unique_ptr<State> state);
    ~ObserverLink();

private:
    friend class ObserverLinkAccess;
    std::unique_ptr<State> state_;
};

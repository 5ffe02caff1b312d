#include "reader/model/ReadingObserver.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <mutex>

struct ObserverLink::State {
    std::mutex mutex;           // guards `alive` and `mailbox` against posting threads
    bool alive = true;          // cleared once, by StopReadingEvents
    QObject* mailbox = nullptr; // lives on `thread`; receives the events
    QThread* thread = nullptr;
    ReadingObserver* observer = nullptr;
    int handlersRunning = 0; // on `thread` only
};

namespace {

// Receives the posted events on the observer's thread and hands them on while it lives.
class ReadingMailbox : public QObject {
public:
    explicit ReadingMailbox(std::weak_ptr<ObserverLink> link) : link_(std::move(link)) {}

    bool event(QEvent* event) override {
        if (!ReadingEvent::IsReadingEvent(event))
            return QObject::event(event);
        // Held for the handler's run: the handler may destroy the observer.
        const std::shared_ptr<ObserverLink> link = link_.lock();
        if (!link)
            return true;
        ObserverLink::State& state = LinkState(*link);
        ReadingObserver* observer = nullptr;
        {
            std::lock_guard guard(state.mutex);
            if (state.alive)
                observer = state.observer;
        }
        if (observer) {
            ++state.handlersRunning;
            observer->OnReadingEvent(*static_cast<ReadingEvent*>(event));
            --state.handlersRunning;
        }
        return true;
    }

    static ObserverLink::State& LinkState(ObserverLink& link);

private:
    std::weak_ptr<ObserverLink> link_;
};

} // namespace

// The mailbox reaches the state through the link's private member.
class ObserverLinkAccess {
public:
    static ObserverLink::State& Of(ObserverLink& link) { return *link.state_; }
};

ObserverLink::State& ReadingMailbox::LinkState(ObserverLink& link) {
    return ObserverLinkAccess::Of(link);
}

ObserverLink::ObserverLink(std::unique_ptr<State> state) : state_(std::move(state)) {}

ObserverLink::~ObserverLink() = default;

void ObserverLink::Post(int message, int wParam, int lParam) {
    std::lock_guard guard(state_->mutex);
    if (state_->alive)
        QCoreApplication::postEvent(state_->mailbox, new ReadingEvent(message, wParam, lParam));
}

void ObserverLink::Send(int message, int wParam, int lParam) {
    if (QThread::currentThread() != state_->thread) {
        Post(message, wParam, lParam);
        return;
    }
    // On the observer's own thread nothing else can cut the link while this runs.
    if (!IsAlive())
        return;
    ReadingEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(state_->mailbox, &event);
}

bool ObserverLink::IsAlive() const {
    std::lock_guard guard(state_->mutex);
    return state_->alive;
}

ReadingObserver::ReadingObserver() {
    auto state = std::make_unique<ObserverLink::State>();
    state->thread = QThread::currentThread();
    state->observer = this;
    link_ = std::make_shared<ObserverLink>(std::move(state));
    ObserverLinkAccess::Of(*link_).mailbox = new ReadingMailbox(link_);
}

ReadingObserver::~ReadingObserver() {
    StopReadingEvents();
}

void ReadingObserver::StopReadingEvents() {
    ObserverLink::State& state = ObserverLinkAccess::Of(*link_);
    QObject* mailbox = nullptr;
    {
        std::lock_guard guard(state.mutex);
        if (!state.alive)
            return;
        state.alive = false;
        mailbox = state.mailbox;
        state.mailbox = nullptr;
    }
    // A handler of this mailbox may be running further up the stack (the observer
    // destroyed from its own handler): the mailbox must outlive that call.
    if (state.handlersRunning > 0)
        mailbox->deleteLater();
    else
        delete mailbox;
}

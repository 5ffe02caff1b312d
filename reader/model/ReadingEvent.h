#pragma once

#include <QEvent>

// The reading models' notifications. Each travels as a Qt event whose type is
// QEvent::User plus the message number, carrying the message's two parameters.

// An operation has ended: wParam the operation (`ReadOperation`), lParam the result
// (1 done, 0 nothing to show; the screen is then unchanged or only partly moved).
// Goes to the observer that requested the operation, after the model's lock is released.
inline constexpr int UM_READ_OP_DONE = 1226;
// New pages were folded into the model: wParam the follow number, lParam the newest page.
// Posted to every observer of the model.
inline constexpr int UM_READ_NEW_PAGES = 1227;
// A model was opened: wParam the follow number, lParam 0. Delivered at once to observers
// on the opening thread, posted to others.
inline constexpr int UM_READ_OPENED = 1228;

constexpr QEvent::Type ReadingEventType(int message) {
    return static_cast<QEvent::Type>(QEvent::User + message);
}

class ReadingEvent : public QEvent {
public:
    ReadingEvent(int message, int wParam, int lParam)
        : QEvent(ReadingEventType(message)), message_(message), wParam_(wParam), lParam_(lParam) {}

    // UM_READ_OP_DONE, UM_READ_NEW_PAGES or UM_READ_OPENED.
    int Message() const { return message_; }
    int WParam() const { return wParam_; }
    int LParam() const { return lParam_; }

    // True for the three reading messages' event types.
    static bool IsReadingEvent(const QEvent* event) {
        const int type = event->type();
        return type >= QEvent::User + UM_READ_OP_DONE && type <= QEvent::User + UM_READ_OPENED;
    }

private:
    int message_;
    int wParam_;
    int lParam_;
};

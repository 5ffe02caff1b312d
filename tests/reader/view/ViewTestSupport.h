#pragma once

#include "reader/view/ReaderNotice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <ostream>

// Serves events until `condition` holds; false after `limitMs`.
template <typename Condition> bool SpinUntil(Condition condition, int limitMs = 20000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > limitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Collects the notices shown while it lives, instead of message boxes.
class NoticeRecorder {
public:
    NoticeRecorder();
    ~NoticeRecorder();
    QStringList notices;

private:
    NoticeHandler previous_;
};

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

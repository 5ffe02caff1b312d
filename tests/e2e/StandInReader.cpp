#include "tests/e2e/StandInReader.h"

#include <QCoreApplication>
#include <QThread>

SmallMessage StandInReader::Received::Small() const {
    SmallMessage small;
    std::memcpy(&small, record.bytes, sizeof small);
    return small;
}

StandInReader::StandInReader() {
    clock_.start();
    listening_ =
        receiver_.Listen(QStringLiteral("Quillmere"), [this](const LargeMessage& record, int size) {
            auto received = std::make_shared<Received>();
            received->record = record;
            received->size = size;
            received->atMs = clock_.elapsed();
            received_.append(received);
        });
    channel_.StartChannel(QStringLiteral("QuillmereServerMainDlg"));
}

void StandInReader::Follow(const QString& address, const QString& label) {
    auto request = MakeRecord<AddFocusRequest>(CDTAddFocusWebpage);
    request.address.Set(address);
    request.label.Set(label);
    Send(ToLarge(request));
}

bool StandInReader::WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

const StandInReader::Received*
StandInReader::WaitFor(int code, int timeoutMs, const std::function<bool(const Received&)>& accept,
                       qsizetype from) {
    const Received* found = nullptr;
    WaitUntil(
        [&] {
            for (qsizetype i = from; i < received_.size(); ++i)
                if (received_[i]->Code() == code && (!accept || accept(*received_[i]))) {
                    found = received_[i].get();
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

QList<const StandInReader::Received*> StandInReader::OfCode(int code) const {
    QList<const Received*> list;
    for (const auto& r : received_)
        if (r->Code() == code)
            list.append(r.get());
    return list;
}

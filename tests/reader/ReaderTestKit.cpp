#include "tests/reader/ReaderTestKit.h"

#include "common/Utilities.h"
#include "reader/ShowMessage.h"
#include "store/Catalogue.h"
#include "store/CatalogueFile.h"
#include "store/ThreadDatabase.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

FakeServer::FakeServer() {
    receiver_.Listen(QString::fromLatin1(ServerLink::kServerTitle),
                     [this](const LargeMessage& record, int size) {
                         records.append(std::make_shared<LargeMessage>(record));
                         sizes.append(size);
                     });
}

QList<int> FakeServer::Codes() const {
    QList<int> codes;
    for (const auto& r : records)
        codes.append(r->Code());
    return codes;
}

int FakeServer::CountOf(int code) const {
    return static_cast<int>(Codes().count(code));
}

const LargeMessage* FakeServer::WaitFor(int code, int timeoutMs, int from) {
    const LargeMessage* found = nullptr;
    PumpUntil(
        [&] {
            for (qsizetype i = from; i < records.size(); ++i)
                if (records[i]->Code() == code) {
                    found = records[i].get();
                    return true;
                }
            return false;
        },
        timeoutMs);
    return found;
}

void FakeServer::Settle(int ms) {
    Pump(ms);
}

MessageRecorder::MessageRecorder() {
    SetMessageSeam([this](int kind, QWidget*, const QString& text, const QString& caption) {
        shown.append({kind, text, caption});
        if (kind != MessageQuestion)
            return 1;
        return answers.isEmpty() ? 6 : answers.takeFirst();
    });
}

MessageRecorder::~MessageRecorder() {
    SetMessageSeam({});
}

QStringList MessageRecorder::Texts() const {
    QStringList texts;
    for (const Shown& s : shown)
        texts.append(s.text);
    return texts;
}

void FakeReadingWindows::Window::OnReplyAnswer(int result, const QString& message) {
    calls << QStringLiteral("reply %1 %2").arg(result).arg(message);
}
void FakeReadingWindows::Window::OnRefreshDone() {
    calls << QStringLiteral("refresh");
}
void FakeReadingWindows::Window::OnChosenPageFetched(int page, bool stored) {
    calls << QStringLiteral("chosen %1 %2").arg(page).arg(stored);
}
void FakeReadingWindows::Window::OnLaterPagesStored(int firstWanted, int lastParsed) {
    calls << QStringLiteral("later %1 %2").arg(firstWanted).arg(lastParsed);
}
void FakeReadingWindows::Window::OnEarlierPagesStored(int firstWanted, int lastParsed) {
    calls << QStringLiteral("earlier %1 %2").arg(firstWanted).arg(lastParsed);
}
void FakeReadingWindows::Window::OnNewestPagesStored() {
    calls << QStringLiteral("newest");
}
void FakeReadingWindows::Window::OnPictureStored(const QString& address,
                                                 const QList<PicturePost>& posts) {
    calls << QStringLiteral("picture %1 %2").arg(address).arg(posts.size());
}

ReadingWindowEvents* FakeReadingWindows::Find(int followNo) {
    return open.value(followNo).get();
}

bool FakeReadingWindows::ShowOpen(int followNo) {
    if (!open.contains(followNo))
        return false;
    calls << QStringLiteral("show %1").arg(followNo);
    return true;
}

bool FakeReadingWindows::GotoPage(int followNo, int page) {
    if (!open.contains(followNo))
        return false;
    calls << QStringLiteral("goto %1 %2").arg(followNo).arg(page);
    return true;
}

bool FakeReadingWindows::Open(int followNo, const QString& title, int pageCount,
                              const QString& userName) {
    calls
        << QStringLiteral("open %1 %2 %3 %4").arg(followNo).arg(title).arg(pageCount).arg(userName);
    open.insert(followNo, std::make_shared<Window>());
    return true;
}

bool FakeReadingWindows::Close(int followNo) {
    if (!open.contains(followNo))
        return false;
    calls << QStringLiteral("close %1").arg(followNo);
    open.remove(followNo);
    return true;
}

void FakeReadingWindows::DestroyClosed() {
    calls << QStringLiteral("destroy");
}

void FakeReadingWindows::CloseAll() {
    calls << QStringLiteral("close all");
    open.clear();
}

int AddFollow(const QString& title, const QList<int>& pages, int deleteFocus,
              const QString& lastPostTime) {
    EnsureCatalogueFile();
    QString file;
    if (!CreateThreadDatabase(file))
        return 0;
    const QString address = QStringLiteral("http://www.forum.localhost/t/%1-1.shtml").arg(file);
    for (int page : pages) {
        const QString time =
            lastPostTime.isEmpty() ? TimeText(QDateTime::currentSecsSinceEpoch()) : lastPostTime;
        SavePage(file, {{page, QStringLiteral("作者"), time, QStringLiteral("内容")}}, page,
                 address);
    }
    if (!AddFollowedThread(address, title, QStringLiteral("楼主"), file, pages.size()))
        return 0;
    const int followNo = FindFollowNumber(address);
    if (deleteFocus == 0)
        MarkFollowPermanent(followNo);
    return followNo;
}

namespace {
// Runs the event loop for a short slice without spinning.
void slice() {
    QEventLoop loop;
    QTimer::singleShot(10, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

void Pump(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        slice();
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        slice();
    }
    return true;
}

int AddBareFollow(const QString& title) {
    EnsureCatalogueFile();
    static int counter = 0;
    const QString address =
        QStringLiteral("http://www.forum.localhost/bare/%1-1.shtml").arg(++counter);
    if (!AddFollowedThread(address, title, QStringLiteral("楼主"), QStringLiteral("none.db"), 0))
        return 0;
    return FindFollowNumber(address);
}

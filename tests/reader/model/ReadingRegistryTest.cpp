// The model and window registries: opening, observers, operations on worker threads.
#include "reader/model/ReadingModelRegistry.h"
#include "reader/model/ReadingWindowRegistry.h"
#include "store/ThreadDatabase.h"
#include "tests/reader/model/ModelTestThread.h"
#include "tests/support/TempHome.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList FiveAuthors(int) {
    return {QStringLiteral("楼主"), QStringLiteral("甲"), QStringLiteral("乙"),
            QStringLiteral("丙"), QStringLiteral("丁")};
}

// Processes events until `done` holds, at most a minute.
bool ProcessUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    return true;
}

class ReadingRegistryTest : public ::testing::Test {
protected:
    ModelTestThread& AddThread(int pages = 10) {
        threads.push_back(std::make_unique<ModelTestThread>(QStringLiteral("楼主"), 3));
        threads.back()->StorePages(1, pages, FiveAuthors);
        return *threads.back();
    }

    TempHome home;
    std::vector<std::unique_ptr<ModelTestThread>> threads;
    ReadingModelRegistry models;
};

TEST_F(ReadingRegistryTest, OpeningAModelTellsTheAllModelObserversOnce) {
    const ModelTestThread& a = AddThread();
    const ModelTestThread& b = AddThread();
    RecordingObserver list;
    models.AddModelObserver(0, &list);

    ASSERT_TRUE(models.OpenReadingModel(a.FollowNo()));
    // Sent, not posted: the observer has heard before the call returns.
    ASSERT_EQ(list.Count(UM_READ_OPENED), 1);
    EXPECT_EQ(list.notes.last().wParam, a.FollowNo());
    EXPECT_TRUE(models.OpenReadingModel(a.FollowNo()));
    ASSERT_TRUE(models.OpenReadingModel(b.FollowNo()));
    EXPECT_EQ(list.Count(UM_READ_OPENED), 2);

    EXPECT_FALSE(models.OpenReadingModel(b.FollowNo() + 100));
    EXPECT_EQ(models.FindReadingModel(b.FollowNo() + 100), nullptr);
    EXPECT_EQ(list.Count(UM_READ_OPENED), 2);

    QList<FollowRecord> records;
    ASSERT_TRUE(models.GetFollowRecords(0, records));
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].focusPageNo, a.FollowNo());
    EXPECT_EQ(records[1].dbFileName, b.DbFile());
    ASSERT_TRUE(models.GetFollowRecords(b.FollowNo(), records));
    EXPECT_EQ(records.size(), 1);
    EXPECT_FALSE(models.GetFollowRecords(b.FollowNo() + 100, records));

    // The all-model observer hears the new pages of every model.
    models.FindReadingModel(a.FollowNo())->OnNewPagesStored(10);
    models.FindReadingModel(b.FollowNo())->OnNewPagesStored(10);
    ASSERT_TRUE(list.WaitFor(UM_READ_NEW_PAGES, 2));
}

TEST_F(ReadingRegistryTest, ResultsReachTheRequesterInTheOrderOfTheRequests) {
    const ModelTestThread& thread = AddThread(20);
    ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
    RecordingObserver window;
    models.AddModelObserver(thread.FollowNo(), &window);
    EXPECT_EQ(models.RequestReadOperation(thread.FollowNo() + 100, &window, OpOpen), 0);

    // Opening a 20-page thread shows the newest posts, so the "next" behind it finds none.
    const std::pair<int, int> operations[] = {
        {OpOpen, 1},     {OpNext, 0},     {OpFirst, 1},  {OpNext, 1},  {OpNext, 1},
        {OpPrevious, 1}, {OpGotoPage, 1}, {OpLatest, 1}, {OpFirst, 1}, {OpNext, 1}};
    for (const auto& [op, result] : operations)
        ASSERT_EQ(models.RequestReadOperation(thread.FollowNo(), &window, op, 9), 1);
    ASSERT_TRUE(window.WaitFor(UM_READ_OP_DONE, std::size(operations)));
    ASSERT_EQ(window.notes.size(), std::size(operations));
    for (size_t i = 0; i < std::size(operations); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(window.notes[i].message, UM_READ_OP_DONE);
        EXPECT_EQ(window.notes[i].wParam, operations[i].first);
        EXPECT_EQ(window.notes[i].lParam, operations[i].second);
    }
    // The first screen, then the second: pages 7 to 12.
    ReadingScreen screen;
    models.FindReadingModel(thread.FollowNo())->GetScreen(screen);
    EXPECT_EQ(screen.startPage, 7);
    EXPECT_EQ(KeyOf(screen.posts.first()), KeyOf(thread.PostAt(7, 0)));
}

TEST_F(ReadingRegistryTest, AnObserverThatHasGoneHearsNothingAndStopsNothing) {
    const ModelTestThread& thread = AddThread(30);
    ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
    const auto model = models.FindReadingModel(thread.FollowNo());
    auto gone = std::make_unique<RecordingObserver>();
    RecordingObserver staying;
    models.AddModelObserver(thread.FollowNo(), gone.get());
    models.AddModelObserver(thread.FollowNo(), &staying);
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(models.RequestReadOperation(thread.FollowNo(), gone.get(), OpNext), 1);
    ASSERT_EQ(models.RequestReadOperation(thread.FollowNo(), &staying, OpFirst), 1);
    gone.reset(); // mid-operation
    model->OnNewPagesStored(30);
    ASSERT_TRUE(staying.WaitFor(UM_READ_OP_DONE, 1));
    ASSERT_TRUE(ProcessUntil([&] { return model->RunningOperations() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(staying.Count(UM_READ_OP_DONE), 1);

    // An observer that destroys itself from its own handler.
    auto* closing = new RecordingObserver;
    bool handled = false;
    closing->onEvent = [&](const ReadingEvent&) {
        handled = true;
        delete closing;
    };
    ASSERT_EQ(models.RequestReadOperation(thread.FollowNo(), closing, OpLatest), 1);
    ASSERT_EQ(models.RequestReadOperation(thread.FollowNo(), closing, OpFirst), 1);
    ASSERT_TRUE(ProcessUntil([&] { return handled && model->RunningOperations() == 0; }));
    QCoreApplication::processEvents();
}

TEST_F(ReadingRegistryTest, RemovingAWindowEmptiesItsModelsScreen) {
    const ModelTestThread& thread = AddThread();
    ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
    const auto model = models.FindReadingModel(thread.FollowNo());
    RecordingObserver window;
    RecordingObserver list;
    models.AddModelObserver(thread.FollowNo(), &window);
    models.AddModelObserver(0, &list);
    ASSERT_EQ(model->RunReadOperation(OpOpen), 1);
    models.RemoveModelObserver(0, &list); // the follow list leaving takes no screen away
    ReadingScreen screen;
    model->GetScreen(screen);
    EXPECT_EQ(screen.posts.size(), 30);
    models.RemoveModelObserver(thread.FollowNo(), &window);
    model->GetScreen(screen);
    EXPECT_TRUE(screen.posts.isEmpty());
    EXPECT_FALSE(model->IsOpened());
    EXPECT_FALSE(model->HasObserver(&window));
}

// A window that closes from its event loop when asked, as a real one does.
class FakeWindow : public ReadingWindow {
public:
    FakeWindow(ReadingWindowRegistry*& registry, QList<FakeWindow*>& alive)
        : registry_(registry), alive_(alive) {
        alive_.append(this);
    }
    ~FakeWindow() override { alive_.removeAll(this); }
    void OnReadingEvent(const ReadingEvent&) override {}
    void RequestClose() override {
        ++closeRequests;
        QTimer::singleShot(0, &context_, [this] { registry_->CloseReadingWindow(this); });
    }
    void HideWindow() override { hidden = true; }

    int closeRequests = 0;
    bool hidden = false;

private:
    ReadingWindowRegistry*& registry_;
    QList<FakeWindow*>& alive_;
    QObject context_;
};

TEST_F(ReadingRegistryTest, TheEleventhWindowClosesTheFirst) {
    QList<FakeWindow*> alive;
    ReadingWindowRegistry* registryRef = nullptr;
    ReadingWindowRegistry windows(models, [&]() -> std::unique_ptr<ReadingWindow> {
        return std::make_unique<FakeWindow>(registryRef, alive);
    });
    registryRef = &windows;

    QList<int> follows;
    QList<FakeWindow*> created;
    for (int i = 0; i < 11; ++i) {
        const ModelTestThread& thread = AddThread(2);
        follows.append(thread.FollowNo());
        ASSERT_TRUE(models.OpenReadingModel(thread.FollowNo()));
        ASSERT_EQ(models.FindReadingModel(thread.FollowNo())->RunReadOperation(OpGotoPage, 2), 1);
        std::unique_ptr<ReadingWindow> window = windows.CreateReadingWindow();
        created.append(static_cast<FakeWindow*>(window.get()));
        models.AddModelObserver(thread.FollowNo(), window.get());
        windows.RecordReadingWindow(thread.FollowNo(), std::move(window));
        QCoreApplication::processEvents();
        EXPECT_EQ(windows.OpenWindowCount(), std::min(i + 1, 10));
    }
    EXPECT_EQ(created[0]->closeRequests, 1);
    for (int i = 1; i < 11; ++i)
        EXPECT_EQ(created[i]->closeRequests, 0);
    EXPECT_EQ(windows.FindReadingWindow(follows[0]), nullptr);
    EXPECT_EQ(windows.FindReadingWindow(follows[10]), created[10]);
    EXPECT_EQ(windows.ClosedWindowCount(), 1);

    // Closing saved the first thread's position; destroying stops it observing.
    ViewPosition position;
    ASSERT_TRUE(ReadViewPosition(threads[0]->DbFile(), position));
    EXPECT_EQ(position.pageNo, 2);
    EXPECT_FALSE(ReadViewPosition(threads[1]->DbFile(), position));
    const auto first = models.FindReadingModel(follows[0]);
    EXPECT_TRUE(first->HasObserver(created[0]));
    windows.DestroyClosedReadingWindows();
    EXPECT_FALSE(alive.contains(created[0]));
    EXPECT_FALSE(first->HasObserver(created[0]));
    EXPECT_EQ(windows.ClosedWindowCount(), 0);

    // A second window recorded for a thread replaces the first, which is put away.
    std::unique_ptr<ReadingWindow> again = windows.CreateReadingWindow();
    FakeWindow* replacement = static_cast<FakeWindow*>(again.get());
    QCoreApplication::processEvents(); // the oldest (second thread) was asked to close
    EXPECT_EQ(created[1]->closeRequests, 1);
    windows.RecordReadingWindow(follows[5], std::move(again));
    EXPECT_EQ(windows.FindReadingWindow(follows[5]), replacement);
    EXPECT_TRUE(created[5]->hidden);
    ASSERT_TRUE(ReadViewPosition(threads[5]->DbFile(), position));

    windows.CloseAllReadingWindows();
    EXPECT_TRUE(alive.isEmpty());
    EXPECT_EQ(windows.OpenWindowCount(), 0);
    for (int i = 0; i < 11; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(ReadViewPosition(threads[i]->DbFile(), position));
    }
}

} // namespace

#pragma once

#include "reader/model/ReadingModel.h"
#include "reader/model/ReadingObserver.h"
#include "store/Catalogue.h"

#include <QList>

#include <map>
#include <memory>
#include <mutex>

// Every reading model of the reader, one per follow number, and the observers that hear
// about all of them (registered with follow number 0: the follow list). The reader's
// application owns one registry; it lives until `CloseAllReadingModels` or its own end.
//
// Close it (or let it end) before the application object goes: results still on their
// way are posted to the observers' event loops.
//
// Callable from any thread. The registry's lock covers lookups, additions and removals
// only; it is never held while an operation runs or an observer is called.
class ReadingModelRegistry {
public:
    ReadingModelRegistry();
    ~ReadingModelRegistry();
    ReadingModelRegistry(const ReadingModelRegistry&) = delete;
    ReadingModelRegistry& operator=(const ReadingModelRegistry&) = delete;

    // Does nothing when the model exists. Otherwise creates and loads it; when loading
    // succeeded, registers every all-model observer with it, adds it and sends
    // UM_READ_OPENED to its observers. A model that fails to load is discarded. True when
    // the model exists afterwards.
    bool OpenReadingModel(int followNo);
    // The model, or null. Models live until `CloseAllReadingModels`; the pointer keeps
    // one alive while held.
    std::shared_ptr<ReadingModel> FindReadingModel(int followNo) const;
    // The catalogue row of that model, or of every model (number order) for 0; true when
    // the list is not empty.
    bool GetFollowRecords(int followNo, QList<FollowRecord>& records) const;

    // With a follow number: the observer hears about that model. With 0: about every model,
    // including those opened later.
    void AddModelObserver(int followNo, ReadingObserver* observer);
    // The observer stops hearing about that model (0: about every model, and about later
    // ones); the model's screen is emptied and its opened flag cleared (see
    // `ReadingModel::RemoveObserver`).
    void RemoveModelObserver(int followNo, ReadingObserver* observer);

    // Starts `operation` (a `ReadOperation`, `value` the page for `OpGotoPage`) on a worker
    // thread of the model; the window receives UM_READ_OP_DONE when it is done. Returns 1
    // when a thread was started, 0 when the model does not exist, or is still not ready
    // after 10 s.
    int RequestReadOperation(int followNo, ReadingObserver* window, int operation, int value = 0);

    // Frees every model (at program exit), waiting for their operations.
    void CloseAllReadingModels();

    QList<int> FollowNumbers() const;

private:
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<ReadingModel>> models_;
    QList<ReadingObserver*> allModelObservers_;
};

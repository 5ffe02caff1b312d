#include "reader/model/ReadingModelRegistry.h"

#include <chrono>
#include <thread>

namespace {

// How `RequestReadOperation` waits for a model that is not ready: 50 looks, 200 ms apart.
constexpr int kReadyLooks = 50;
constexpr auto kReadyPause = std::chrono::milliseconds(200);

} // namespace

ReadingModelRegistry::ReadingModelRegistry() = default;

ReadingModelRegistry::~ReadingModelRegistry() {
    CloseAllReadingModels();
}

bool ReadingModelRegistry::OpenReadingModel(int followNo) {
    if (FindReadingModel(followNo))
        return true;
    auto model = std::make_shared<ReadingModel>(followNo);
    if (!model->Load())
        return false;
    {
        std::lock_guard guard(mutex_);
        if (models_.count(followNo) != 0)
            return true; // opened meanwhile by another caller; this copy is dropped
        // The new model's lock is not shared yet, so taking it here cannot wait.
        for (ReadingObserver* observer : allModelObservers_)
            model->AddObserver(observer);
        models_.emplace(followNo, model);
    }
    model->NotifyOpened();
    return true;
}

std::shared_ptr<ReadingModel> ReadingModelRegistry::FindReadingModel(int followNo) const {
    std::lock_guard guard(mutex_);
    const auto it = models_.find(followNo);
    return it == models_.end() ? nullptr : it->second;
}

bool ReadingModelRegistry::GetFollowRecords(int followNo, QList<FollowRecord>& records) const {
    records.clear();
    QList<std::shared_ptr<ReadingModel>> models;
    {
        std::lock_guard guard(mutex_);
        for (const auto& [number, model] : models_)
            if (followNo == 0 || number == followNo)
                models.append(model);
    }
    for (const auto& model : models)
        records.append(model->GetFollowRecord());
    return !records.isEmpty();
}

void ReadingModelRegistry::AddModelObserver(int followNo, ReadingObserver* observer) {
    if (!observer)
        return;
    QList<std::shared_ptr<ReadingModel>> models;
    {
        std::lock_guard guard(mutex_);
        if (followNo == 0) {
            if (!allModelObservers_.contains(observer))
                allModelObservers_.append(observer);
            for (const auto& entry : models_)
                models.append(entry.second);
        } else if (const auto it = models_.find(followNo); it != models_.end()) {
            models.append(it->second);
        }
    }
    for (const auto& model : models)
        model->AddObserver(observer);
}

void ReadingModelRegistry::RemoveModelObserver(int followNo, ReadingObserver* observer) {
    QList<std::shared_ptr<ReadingModel>> models;
    {
        std::lock_guard guard(mutex_);
        if (followNo == 0) {
            allModelObservers_.removeAll(observer);
            for (const auto& entry : models_)
                models.append(entry.second);
        } else if (const auto it = models_.find(followNo); it != models_.end()) {
            models.append(it->second);
        }
    }
    for (const auto& model : models)
        model->RemoveObserver(observer, followNo == 0);
}

int ReadingModelRegistry::RequestReadOperation(int followNo, ReadingObserver* window, int operation,
                                               int value) {
    std::shared_ptr<ReadingModel> model = FindReadingModel(followNo);
    if (!model)
        return 0;
    for (int look = 1; !model->IsReady(); ++look) {
        if (look >= kReadyLooks)
            return 0;
        std::this_thread::sleep_for(kReadyPause);
    }
    return model->StartReadOperation(window, operation, value) ? 1 : 0;
}

void ReadingModelRegistry::CloseAllReadingModels() {
    std::map<int, std::shared_ptr<ReadingModel>> models;
    {
        std::lock_guard guard(mutex_);
        models.swap(models_);
    }
    // Each model waits for its worker threads as it goes, outside the registry's lock.
    models.clear();
}

QList<int> ReadingModelRegistry::FollowNumbers() const {
    std::lock_guard guard(mutex_);
    QList<int> numbers;
    for (const auto& entry : models_)
        numbers.append(entry.first);
    return numbers;
}

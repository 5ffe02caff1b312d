#include "reader/FollowModels.h"

#include "reader/model/ReadingModelRegistry.h"

FollowModels::FollowModels(ReadingModelRegistry& registry, QObject* parent)
    : QObject(parent), registry_(registry) {
    registry_.AddModelObserver(0, this);
    observing_ = true;
}

FollowModels::~FollowModels() {
    StopReadingEvents();
    if (observing_)
        registry_.RemoveModelObserver(0, this);
}

void FollowModels::Open(int followNo) {
    registry_.OpenReadingModel(followNo);
}

bool FollowModels::Exists(int followNo) const {
    return registry_.FindReadingModel(followNo) != nullptr;
}

QList<int> FollowModels::StoredPages(int followNo) const {
    QList<int> pages;
    if (const auto model = registry_.FindReadingModel(followNo))
        model->GetStoredPages(pages);
    return pages;
}

bool FollowModels::Record(int followNo, FollowRecord& record) const {
    QList<FollowRecord> records;
    if (followNo <= 0 || !registry_.GetFollowRecords(followNo, records))
        return false;
    record = records.first();
    return true;
}

void FollowModels::NewPagesStored(int followNo, int page) {
    if (const auto model = registry_.FindReadingModel(followNo))
        model->OnNewPagesStored(page);
}

void FollowModels::CloseAll() {
    if (observing_) {
        registry_.RemoveModelObserver(0, this);
        observing_ = false;
    }
    registry_.CloseAllReadingModels();
}

void FollowModels::OnReadingEvent(const ReadingEvent& event) {
    if (event.Message() == UM_READ_OPENED)
        emit opened(event.WParam());
    else if (event.Message() == UM_READ_NEW_PAGES)
        emit newPages(event.WParam(), event.LParam());
}

#include "reader/FollowModels.h"

#include "store/ThreadDatabase.h"

void StoredFollowModels::Open(int followNo) {
    if (Exists(followNo))
        return;
    Model model;
    if (!ReadFollowedThread(followNo, model.record))
        return;
    ListStoredPages(model.record.dbFileName, model.pages);
    models_.append(model);
    emit opened(followNo);
}

const StoredFollowModels::Model* StoredFollowModels::Find(int followNo) const {
    for (const Model& model : models_)
        if (model.record.focusPageNo == followNo)
            return &model;
    return nullptr;
}

bool StoredFollowModels::Exists(int followNo) const {
    return Find(followNo) != nullptr;
}

QList<int> StoredFollowModels::StoredPages(int followNo) const {
    const Model* model = Find(followNo);
    return model ? model->pages : QList<int>();
}

bool StoredFollowModels::Record(int followNo, FollowRecord& record) const {
    const Model* model = Find(followNo);
    if (!model)
        return false;
    record = model->record;
    return true;
}

void StoredFollowModels::NewPagesStored(int followNo, int page) {
    for (Model& model : models_) {
        if (model.record.focusPageNo != followNo)
            continue;
        if (model.pages.isEmpty() || model.pages.last() != page)
            ListStoredPages(model.record.dbFileName, model.pages);
        emit newPages(followNo, page);
        return;
    }
}

void StoredFollowModels::CloseAll() {
    models_.clear();
}

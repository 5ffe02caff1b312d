#pragma once

#include "reader/model/ReadingObserver.h"
#include "store/Catalogue.h"

#include <QList>
#include <QObject>

class ReadingModelRegistry;

// The reading models as the follow list uses them: one model per follow, opened once, fed the
// server's new-page reports; the list hears through `opened` (UM_READ_OPENED) and `newPages`
// (UM_READ_NEW_PAGES) of every model, present and future.
class FollowModels : public QObject, public ReadingObserver {
    Q_OBJECT
public:
    explicit FollowModels(ReadingModelRegistry& registry, QObject* parent = nullptr);
    ~FollowModels() override;

    void Open(int followNo);
    bool Exists(int followNo) const;
    QList<int> StoredPages(int followNo) const;
    // The catalogue row the model holds; false when there is no model.
    bool Record(int followNo, FollowRecord& record) const;
    // Page `page` of the follow has been stored.
    void NewPagesStored(int followNo, int page);
    void CloseAll();
    ReadingModelRegistry& Registry() const { return registry_; }

    void OnReadingEvent(const ReadingEvent& event) override;

signals:
    void opened(int followNo);
    void newPages(int followNo, int newestPage);

private:
    ReadingModelRegistry& registry_;
    bool observing_ = false;
};

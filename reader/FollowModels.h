#pragma once

#include "store/Catalogue.h"

#include <QList>
#include <QObject>

// What the follow list needs of the reading models: one model per follow, opened once,
// fed the server's new-page reports, and heard from when it opens and when pages arrive.
class FollowModels : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Creates and loads the model of a follow unless it exists; `opened` follows when it loads.
    virtual void Open(int followNo) = 0;
    virtual bool Exists(int followNo) const = 0;
    virtual QList<int> StoredPages(int followNo) const = 0;
    // The catalogue row the model holds; false when there is no model.
    virtual bool Record(int followNo, FollowRecord& record) const = 0;
    // Page `page` of the follow has been stored.
    virtual void NewPagesStored(int followNo, int page) = 0;
    virtual void CloseAll() = 0;

signals:
    // A model came into being (the follow was just added, or the list opened).
    void opened(int followNo);
    // The model's stored pages grew; `newestPage` is the page reported.
    void newPages(int followNo, int newestPage);
};

// Models that hold only the catalogue row and the stored page numbers, read from the files.
class StoredFollowModels : public FollowModels {
    Q_OBJECT
public:
    using FollowModels::FollowModels;

    void Open(int followNo) override;
    bool Exists(int followNo) const override;
    QList<int> StoredPages(int followNo) const override;
    bool Record(int followNo, FollowRecord& record) const override;
    void NewPagesStored(int followNo, int page) override;
    void CloseAll() override;

private:
    struct Model {
        FollowRecord record;
        QList<int> pages;
    };
    QList<Model> models_;
    const Model* Find(int followNo) const;
};

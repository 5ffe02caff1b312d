#pragma once

#include "search/SearchIndex.h"
#include "store/Catalogue.h"

#include <QList>
#include <QObject>

#include <atomic>

// Runs searches and index synchronisations off the user-interface thread, one at a time, on
// the thread its panel owns. Requests arrive as queued calls; answers leave as signals.
class SearchWorker : public QObject {
    Q_OBJECT
public:
    explicit SearchWorker(const std::atomic<bool>* cancel) : cancel_(cancel) {}

public slots:
    // Brings the index in line with the catalogue and the thread files, then reports the
    // follows (for the thread filter).
    void Synchronise();
    void Search(quint64 serial, const SearchRequest& request);

signals:
    void Synchronised(bool ok, int pagesIndexed, const QList<FollowRecord>& follows);
    void Searched(quint64 serial, const SearchRequest& request, const SearchAnswer& answer);

private:
    const std::atomic<bool>* cancel_;
};

#pragma once

#include "store/Catalogue.h"
#include "store/ThreadRecords.h"

#include <QList>
#include <QString>

// A followed thread whose pages are stored through the store's API; with `index`, each page
// is indexed as the server indexes a page it stored.
FollowRecord FollowStoredThread(const QString& title, const QList<ThreadPost>& posts, bool index);

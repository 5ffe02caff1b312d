#pragma once

#include "tools/demo-forum/DemoHosts.h"
#include "tools/demo-forum/ForumModel.h"

#include <QString>

// Where a thread page is found. Paths compare in lower case: the add-follow dialog
// lower-cases what the user typed.
struct ThreadLocation {
    ThreadSite site = ThreadSite::PublicForum;
    QString board;
    int id = 0;
    int page = 1;
};

QString ThreadAddress(const DemoHosts& hosts, ThreadSite site, const QString& board, int id,
                      int page);
DemoHost HostOfSite(ThreadSite site);
// Reads a request path of a forum host; false when it names no thread page.
bool ParseThreadPath(DemoHost host, const QString& path, ThreadLocation* out);

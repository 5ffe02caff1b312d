#include "StartupRefresh.h"

#include "FetchQueues.h"
#include "FrontPages.h"
#include "PageWalk.h"
#include "ThreadRegistry.h"
#include "VersionCheck.h"

#include <thread>

void StartBeginRenovateTianya(int versionTries, int guardIntervalMs)
{
    std::thread([versionTries, guardIntervalMs] {
        ThreadBegin(QStringLiteral("BeginRenovateTianya"));
        if (WaitForVersionCheck(versionTries)) {
            PageTask front;
            front.type = TaskFrontPage;
            QueueDownload(FrontPageAddress(), front, FrontPageDone, true);
            PageTask discount;
            discount.type = TaskDiscountPage;
            QueueDownload(DiscountPageAddress(), discount, DiscountPageDone, true);
            if (LoadFollowedThreads())
                RefreshAllOnStart();
            StartRenovateGuardThread(guardIntervalMs);
        }
        ThreadEnd(QStringLiteral("BeginRenovateTianya"));
    }).detach();
}

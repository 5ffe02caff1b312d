#include "server/engine/StartupRefresh.h"

#include "common/ThreadRegistry.h"
#include "server/engine/FrontPages.h"
#include "server/engine/PageWalk.h"
#include "server/engine/VersionCheck.h"
#include "server/fetch/FetchQueues.h"

bool StartBeginRenovateTianya(ThreadRegistry& threads, int versionTries, int guardIntervalMs) {
    return threads.Start([&threads, versionTries, guardIntervalMs] {
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
            StartRenovateGuardThread(threads, guardIntervalMs);
        }
        ThreadEnd(QStringLiteral("BeginRenovateTianya"));
    });
}

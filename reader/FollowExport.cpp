#include "reader/FollowExport.h"

#include "common/Log.h"

// Until the export is built the menu's commands are logged and do nothing else.
void ExportFollows(FollowExportKind kind, const QList<int>& followNos, QWidget*) {
    Log(QStringLiteral("Export %1 of %2 follows is not available in this build")
            .arg(static_cast<int>(kind))
            .arg(followNos.size()),
        LogWarn);
}

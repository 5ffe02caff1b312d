#include "VersionCheck.h"

#include "ThreadRegistry.h"

#include <thread>

std::atomic<int>& ServerVersionState()
{
    static std::atomic<int> state{VersionPending};
    return state;
}

std::optional<QStringList> ChooseVersionRow(const QList<QStringList>& rows, const QString& version)
{
    for (const QStringList& row : rows) {
        if (row.size() < 2)
            continue;
        if (QString::compare(row[0], version, Qt::CaseSensitive) <= 0 &&
            QString::compare(row[1], version, Qt::CaseSensitive) >= 0)
            return row;
    }
    return std::nullopt;
}

bool WaitForVersionCheck(int tries, int intervalMs)
{
    for (int i = 0; i < tries; ++i) {
        // Sleeps in short steps so a stop never waits for the whole second.
        for (int waited = 0; waited < intervalMs && !StopRequested(); waited += 50)
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(50, intervalMs - waited)));
        if (StopRequested())
            return false;
        const int state = ServerVersionState().load();
        if (state == VersionMandatory)
            return false;
        if (state == VersionDone)
            return true;
    }
    return true;
}

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// The server's own version, compared with the rows of the maker's version page.
inline const QString kServerVersion = QStringLiteral("0.93");

// 0 while the check is pending, 1 when a mandatory update was found, 2 when done otherwise.
enum VersionState : int { VersionPending = 0, VersionMandatory = 1, VersionDone = 2 };
std::atomic<int>& ServerVersionState();

// Up to `tries` times: wait `intervalMs`, then answer from the state and the stop flag.
// True when the start-up thread may do its work.
bool WaitForVersionCheck(int tries = 30, int intervalMs = 1000);

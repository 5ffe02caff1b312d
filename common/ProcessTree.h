#pragma once

#include <QByteArray>
#include <QList>

// Other processes as Linux's /proc shows them: for tests, benchmarks and tools that watch
// the programs and the web engine's helper processes.

// The fields of /proc/PID/stat after the process name (which may hold spaces), the state
// first; empty when the process is gone.
QList<QByteArray> ProcessStatFields(qint64 pid);
// Whether the process exists and is not a zombie.
bool ProcessExists(qint64 pid);
// The processes whose parent is `pid`.
QList<qint64> ChildProcesses(qint64 pid);
// Its children, their children and so on.
QList<qint64> DescendantProcesses(qint64 pid);
// Proportional set size in kB (its share of shared pages), from smaps_rollup; 0 when unknown.
qint64 ProcessPssKb(qint64 pid);

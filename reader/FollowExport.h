#pragma once

#include <QList>

class QWidget;

// The three exports of the follow list's menu.
enum class FollowExportKind { Text, Html, Pictures };

// Exports the threads of the given follows; wired to the export when it is built.
void ExportFollows(FollowExportKind kind, const QList<int>& followNos, QWidget* parent);

#pragma once

#include "store/Catalogue.h"

#include <QList>

// Pages read and written per step of an export: enough to keep the database read efficient, few
// enough that the progress moves and memory stays small on threads of thousands of pages.
constexpr int kExportPagesPerStep = 20;

// One read step: pages from..to (every stored page in between).
struct PageSpan {
    int from;
    int to;
    int storedPages;
};

// Cuts firstPage..lastPage into steps that together cover every page number in it, so the posts
// read are exactly those of one query over the whole range. `stored` is ascending.
QList<PageSpan> PlanPageSpans(const QList<int>& stored, int firstPage, int lastPage);

// What every export of one thread starts from: its catalogue row, its read steps over
// firstPage..lastPage and the number of stored pages they cover (at least 1, for progress).
struct ThreadExportPlan {
    FollowRecord follow;
    QList<PageSpan> spans;
    int totalPages = 1;
};

// False when the catalogue row or the thread's stored pages cannot be read.
bool PlanThreadExport(int focusPageNo, int firstPage, int lastPage, ThreadExportPlan& plan);

#pragma once

#include <QString>

// What a thread page says about itself and its neighbours.
struct ParsedPageInfo {
    int currentPage = 0; // from 1
    int pageCount = 0;
    QString title;
    QString firstPageAddress;
    QString prevPageAddress; // empty on the first page
    QString nextPageAddress; // empty on the last page
    QString lastPageAddress;
    int layout = 0; // 1 to 4
};

#pragma once

#include <QString>

// One post of a thread page.
struct PostRecord {
    int pageNo = 0;
    QString author;
    QString time; // "yyyy-mm-dd hh:mm:ss" when the header could be read
    QString content;
};

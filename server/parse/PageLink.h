#pragma once

#include <QString>

// A link to another page of the same thread.
struct PageLink {
    int pageNo = 0; // the decimal value of the link's text; 0 when it is not a number
    QString address;
};

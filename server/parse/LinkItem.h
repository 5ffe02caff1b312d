#pragma once

#include <QString>

// One link of a page: its visible text and its address.
struct LinkItem {
    QString text;
    QString address;
};

#pragma once

#include <QByteArray>

// A thread page of the given layout (1, 3 or 4) as the forum serves it: UTF-8, about
// `targetBytes` long, with `posts` posts, some with pictures, on page 2 of 10.
QByteArray TypicalThreadPage(int layout, int posts = 100, int targetBytes = 150 * 1024);

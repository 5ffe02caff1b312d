#pragma once

#include <QString>

// One picture of a post, named by the post's page, author and time and its place in the post.
struct PictureRecord {
    int pageNo = 0;
    QString author;
    QString time;
    int index = 0; // from 0 within its post
    QString address;
};

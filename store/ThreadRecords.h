#pragma once

#include <QString>

// What a thread database holds, as its callers exchange it. The parsers' and the reader's
// own records convert to and from these field by field.

// One post (a TieInfo row).
struct ThreadPost {
    int pageNo = 0;
    QString author;
    QString time; // "%04d-%02d-%02d %02d:%02d:%02d"
    QString content;
};

// One picture shown in one post (an ImgInfo row).
struct ThreadPicture {
    int pageNo = 0;
    QString author;
    QString time;
    int imgIndex = 0; // position within the post, from 0
    QString imgUrl;
};

// The download state of one picture address (part of an ImgData row).
struct PictureState {
    QString imgUrl;
    int getOK = 0;  // 1 when the bytes are stored
    int getNum = 0; // attempts left
};

// A post that shows a given picture.
struct PicturePost {
    int pageNo = 0;
    QString author;
    QString time;
};

// The reader's reading position (the ViewInfo row).
struct ViewPosition {
    int renovate = 0;
    int viewMode = 0;
    int pageNo = 0;
    QString author;
    QString time;
};

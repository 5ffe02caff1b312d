#pragma once

#include "common/Records.h"
#include "store/ThreadRecords.h"

#include <QByteArray>
#include <QList>
#include <QString>

struct WebpageInfo;

// A download counts as a picture when it has more than 10 bytes and is not an HTML page.
bool IsGoodPictureDownload(const QByteArray& body);

// The CDTGetImg record for a stored picture and the posts that show it (at most 735).
LargeMessage BuildGetImgMessage(int focusPageNo, const QString& address,
                                const QList<PicturePost>& posts);

// The handler of every picture download (on a direct fetch thread): stores the picture or
// spends an attempt, and tells the reader which posts show a stored picture.
void PictureDownloaded(WebpageInfo& request);

// Queues one picture of a thread (type 16, back of the direct queue).
void QueueThreadPicture(const QString& address, int focusPageNo, const QString& dbFile);

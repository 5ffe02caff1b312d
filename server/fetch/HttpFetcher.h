#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Size of the scratch buffer each fetch thread owns; a body must stay below it.
inline constexpr int kFetchBufferSize = 2097152;
inline constexpr int kMaxBodyLength = kFetchBufferSize - 1;

// How long one attempt may block. Tests shorten them; the server keeps the defaults.
struct FetchLimits {
    int connectTimeoutMs = 10000;
    int receiveStallMs = 10000; // no byte for this long ends the attempt
    // Ends an attempt however it trickles: a page, and a picture in the direct fetch threads.
    int totalMs = 60000;
    int pictureTotalMs = 30000;
};

// The host and path of an address as the fetcher requests them: the whole address
// lower-cased, without a leading "http://", split at the first "/".
struct FetchTarget {
    QString host;
    QString path;
};
// False (and no request) when the host or the path would be empty.
bool SplitFetchAddress(const QString& address, FetchTarget* target);

// One HTTP GET of `address`, ended after `limits.totalMs` at the latest. On success `body`
// holds exactly the body bytes (QByteArray keeps the terminating zero byte after them); on
// failure `body` is left empty, never partial. Any answer, an error's too, longer than
// kMaxBodyLength ends the transfer.
// `workBuffer` is the caller's reusable scratch space (grown to kFetchBufferSize when smaller).
// `withReferer` adds "Referer: <address as given>", which the forum wants for pictures.
bool FetchResource(const QString& address, std::vector<char>& workBuffer, bool withReferer,
                   QByteArray* body, const FetchLimits& limits = FetchLimits());

#include "server/fetch/HttpFetcher.h"

#include "common/Log.h"
#include "server/fetch/CurlEasy.h"

#include <cstring>
#include <mutex>

namespace {

const QString kHttpPrefix = QStringLiteral("http://");

void EnsureCurlGlobalInit() {
    // curl_global_init is not thread-safe; the seven fetch threads may race into the first call.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct BodySink {
    CURL* handle = nullptr;
    char* buffer = nullptr;
    size_t length = 0;
    size_t errorLength = 0;
    bool tooLarge = false;
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<BodySink*>(user);
    const size_t bytes = size * count;
    long status = 0;
    curl_easy_getinfo(sink->handle, CURLINFO_RESPONSE_CODE, &status);
    // The body of an error answer is never returned, so it is only counted, but bounded alike:
    // an endless one would hold the thread for ever.
    if (status < 200 || status > 299) {
        sink->errorLength += bytes;
        if (sink->errorLength > static_cast<size_t>(kMaxBodyLength)) {
            sink->tooLarge = true;
            return CURL_WRITEFUNC_ERROR;
        }
        return bytes;
    }
    if (sink->length + bytes > static_cast<size_t>(kMaxBodyLength)) {
        sink->tooLarge = true;
        return CURL_WRITEFUNC_ERROR;
    }
    std::memcpy(sink->buffer + sink->length, data, bytes);
    sink->length += bytes;
    return bytes;
}

// Loopback never goes through a proxy, whatever the environment says; other hosts keep the
// environment's proxy and exceptions.
QByteArray NoProxyList() {
    QByteArray list = qgetenv("no_proxy");
    if (list.isEmpty())
        list = qgetenv("NO_PROXY");
    if (list.trimmed() == "*")
        return list;
    if (!list.isEmpty())
        list += ',';
    return list + "localhost,127.0.0.1,::1";
}

} // namespace

bool SplitFetchAddress(const QString& address, FetchTarget* target) {
    QString rest = address.toLower();
    if (rest.startsWith(kHttpPrefix))
        rest.remove(0, kHttpPrefix.size());
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    if (slash <= 0)
        return false;
    target->host = rest.left(slash);
    target->path = rest.mid(slash);
    return true;
}

bool FetchResource(const QString& address, std::vector<char>& workBuffer, bool withReferer,
                   QByteArray* body, const FetchLimits& limits) {
    body->clear();
    FetchTarget target;
    if (!SplitFetchAddress(address, &target))
        return false;
    if (workBuffer.size() < static_cast<size_t>(kFetchBufferSize))
        workBuffer.resize(kFetchBufferSize);

    EnsureCurlGlobalInit();
    CurlEasy easy;
    if (!easy) {
        Log(QStringLiteral("catch CInternetException"), LogError);
        return false;
    }
    // The exact header set, in order; curl's own Accept is replaced and nothing else is added.
    bool headersOk = easy.AddHeader("Accept: */*");
    if (withReferer)
        headersOk = headersOk && easy.AddHeader(("Referer: " + address.toUtf8()).constData());
    headersOk =
        headersOk && easy.AddHeader("Accept-Language: zh-cn") &&
        easy.AddHeader("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)") &&
        easy.AddHeader("Connection: Keep-Alive");
    if (!headersOk) {
        Log(QStringLiteral("catch CInternetException"), LogError);
        return false;
    }

    const QByteArray url = (kHttpPrefix + target.host + target.path).toUtf8();
    const QByteArray noProxy = NoProxyList();
    BodySink sink;
    sink.handle = easy.Get();
    sink.buffer = workBuffer.data();

    CURL* h = easy.Get();
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, easy.Headers());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.constData());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    // A stall of the receive limit (under one byte per second for that long) ends the attempt.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>((limits.receiveStallMs + 999) / 1000));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.totalMs));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = curl_easy_perform(h);
    if (sink.tooLarge) {
        long status = 0;
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200 || status > 299)
            Log(address + QString::asprintf(" download error, bQuery=1  dwStatusCode=%d",
                                            static_cast<int>(status)),
                LogError);
        return false;
    }
    if (result != CURLE_OK) {
        Log(QStringLiteral("catch CInternetException"), LogError);
        return false;
    }
    long status = 0;
    const bool queried =
        curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status != 0;
    if (!queried || status < 200 || status > 299) {
        Log(address + QString::asprintf(" download error, bQuery=%d  dwStatusCode=%d",
                                        queried ? 1 : 0, static_cast<int>(status)),
            LogError);
        return false;
    }
    *body = QByteArray(workBuffer.data(), static_cast<qsizetype>(sink.length));
    return true;
}

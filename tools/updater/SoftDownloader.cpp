#include "tools/updater/SoftDownloader.h"

#include "server/fetch/CurlEasy.h"

#include <QFile>
#include <QSaveFile>

#include <mutex>

namespace {

struct Transfer {
    CURL* handle = nullptr;
    QSaveFile* file = nullptr;
    int64_t maxBytes = 0;
    int64_t received = 0;
    const DownloadProgress* progress = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    DownloadOutcome refusal = DownloadOutcome::Saved; // set when the transfer is stopped
    QString detail;
};

long StatusOf(CURL* handle) {
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    return status;
}

bool IsHtml(CURL* handle) {
    const char* type = nullptr;
    if (curl_easy_getinfo(handle, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK || !type)
        return false;
    return QByteArray(type).trimmed().toLower().startsWith("text/html");
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    const long status = StatusOf(t->handle);
    if (status < 200 || status > 299) {
        t->refusal = DownloadOutcome::Failed;
        t->detail = QStringLiteral("status %1").arg(status);
        return CURL_WRITEFUNC_ERROR;
    }
    if (t->received == 0 && IsHtml(t->handle)) {
        t->refusal = DownloadOutcome::NotAFile;
        t->detail = QStringLiteral("an HTML page");
        return CURL_WRITEFUNC_ERROR;
    }
    if (t->received + static_cast<int64_t>(bytes) > t->maxBytes) {
        t->refusal = DownloadOutcome::TooLarge;
        t->detail = QStringLiteral("larger than %1 bytes").arg(t->maxBytes);
        return CURL_WRITEFUNC_ERROR;
    }
    if (t->file->write(data, static_cast<qint64>(bytes)) != static_cast<qint64>(bytes)) {
        t->refusal = DownloadOutcome::Failed;
        t->detail = QStringLiteral("write failed: ") + t->file->errorString();
        return CURL_WRITEFUNC_ERROR;
    }
    t->received += static_cast<int64_t>(bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(user);
    if (t->cancel->load()) {
        t->refusal = DownloadOutcome::Cancelled;
        t->detail = QStringLiteral("cancelled");
        return 1;
    }
    if (*t->progress)
        (*t->progress)(static_cast<int64_t>(now), static_cast<int64_t>(total));
    return 0;
}

// Loopback never goes through a proxy; other hosts keep the environment's proxy and exceptions.
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

void EnsureCurlGlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

DownloadResult DownloadToFile(const QString& address, const QString& target,
                              const DownloadLimits& limits, const DownloadProgress& progress,
                              const std::atomic<bool>& cancel) {
    DownloadResult result;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) {
        result.detail =
            QStringLiteral("cannot write ") + target + QStringLiteral(": ") + file.errorString();
        return result;
    }
    EnsureCurlGlobalInit();
    CurlEasy easy;
    if (!easy || !easy.AddHeader("Accept: */*")) {
        result.detail = QStringLiteral("no HTTP client");
        return result;
    }
    Transfer t;
    t.handle = easy.Get();
    t.file = &file;
    t.maxBytes = limits.maxBytes;
    t.progress = &progress;
    t.cancel = &cancel;

    const QByteArray url = address.toUtf8();
    const QByteArray noProxy = NoProxyList();
    CURL* h = easy.Get();
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, easy.Headers());
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOPROXY, noProxy.constData());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeoutMs));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME,
                     static_cast<long>((limits.receiveStallMs + 999) / 1000));
    // A length announced above the bound is refused before any byte is written.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);

    const CURLcode code = curl_easy_perform(h);
    result.bytes = t.received;
    const long status = StatusOf(h);
    if (t.refusal != DownloadOutcome::Saved) {
        result.outcome = t.refusal;
        result.detail = t.detail;
    } else if (code == CURLE_FILESIZE_EXCEEDED) {
        result.outcome = DownloadOutcome::TooLarge;
        result.detail = QStringLiteral("announced larger than %1 bytes").arg(limits.maxBytes);
    } else if (code != CURLE_OK) {
        result.detail = QString::fromUtf8(curl_easy_strerror(code));
    } else if (status < 200 || status > 299) {
        result.detail = QStringLiteral("status %1").arg(status);
    } else if (t.received == 0) {
        result.outcome = DownloadOutcome::NotAFile;
        result.detail = QStringLiteral("empty body");
    } else if (!file.commit()) {
        result.detail =
            QStringLiteral("cannot save ") + target + QStringLiteral(": ") + file.errorString();
    } else {
        result.outcome = DownloadOutcome::Saved;
        return result;
    }
    file.cancelWriting();
    return result;
}

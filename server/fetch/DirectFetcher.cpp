#include "server/fetch/DirectFetcher.h"

#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"

#include <mutex>
#include <thread>

namespace {

std::mutex limitsMutex;
FetchLimits limits;

const QString kThreadName = QStringLiteral("BeginGetWebpageDirect");

} // namespace

void SetDirectFetchLimits(const FetchLimits& value) {
    std::lock_guard lock(limitsMutex);
    limits = value;
}

FetchLimits DirectFetchLimits() {
    std::lock_guard lock(limitsMutex);
    return limits;
}

void ProcessDirectRequest(WebpageInfo& request, std::vector<char>& workBuffer) {
    const bool isPicture = request.task.type == TaskPicture;
    const FetchLimits attemptLimits = DirectFetchLimits();
    QByteArray body;
    bool fetched = false;
    for (int attempt = 0; attempt < 2 && !fetched; ++attempt) {
        fetched = FetchResource(request.address, workBuffer, isPicture, &body, attemptLimits);
        if (!fetched && StopRequested())
            return; // shutting down: no retry, no report
    }
    if (!fetched) {
        if (isPicture && request.OnDownloaded) {
            request.body.clear();
            request.bodyLength = 0;
            request.OnDownloaded(request);
        }
        Log(QStringLiteral("Get url resource error: ") + request.address);
        if (!isPicture && request.OnLost)
            request.OnLost(request);
        return;
    }
    if (body.isEmpty() || !request.OnDownloaded) {
        if (!isPicture && request.OnLost)
            request.OnLost(request);
        return;
    }
    request.body = body;
    request.bodyLength = static_cast<int32_t>(body.size());
    request.OnDownloaded(request);
}

void RunDirectFetchThread() {
    ThreadBegin(kThreadName);
    {
        std::vector<char> workBuffer(kFetchBufferSize);
        while (!StopRequested()) {
            WebpageInfo request;
            if (PopDirect(&request))
                ProcessDirectRequest(request, workBuffer);
            else
                DirectQueue().WaitForWork(kDirectFetchIdleMs);
        }
    }
    ThreadEnd(kThreadName);
}

void StartDirectFetchThread() {
    std::thread(RunDirectFetchThread).detach();
}

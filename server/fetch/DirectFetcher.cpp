#include "server/fetch/DirectFetcher.h"

#include "common/Log.h"
#include "common/ThreadRegistry.h"
#include "server/fetch/FetchQueues.h"

#include <atomic>

namespace {

const QString kThreadName = QStringLiteral("BeginGetWebpageDirect");

// Pictures may occupy every direct fetch thread but one, so that a page always finds a thread
// however slowly the pictures arrive.
std::atomic<int> directThreads{0};
std::atomic<int> picturesInFlight{0};

bool ReservePictureSlot() {
    const int pictureSlots = std::max(1, directThreads.load() - 1);
    int taken = picturesInFlight.load();
    while (taken < pictureSlots)
        if (picturesInFlight.compare_exchange_weak(taken, taken + 1))
            return true;
    return false;
}

// A reserved picture slot, given back on every way out.
class PictureSlot {
public:
    PictureSlot() : held_(ReservePictureSlot()) {}
    // Given back after a picture: threads that waited for a page only may take pictures again.
    ~PictureSlot() {
        if (held_) {
            Release();
            DirectQueue().WakeAll();
        }
    }
    PictureSlot(const PictureSlot&) = delete;
    PictureSlot& operator=(const PictureSlot&) = delete;
    bool Held() const { return held_; }
    void Release() {
        if (!held_)
            return;
        held_ = false;
        picturesInFlight.fetch_sub(1);
    }

private:
    bool held_;
};

} // namespace

void SetDirectFetchLimits(const FetchLimits& value) {
    FetchQueues::Current()->SetLimits(value);
}

FetchLimits DirectFetchLimits() {
    return FetchQueues::Current()->Limits();
}

void ProcessDirectRequest(WebpageInfo& request, std::vector<char>& workBuffer) {
    const bool isPicture = request.task.type == TaskPicture;
    FetchLimits attemptLimits = DirectFetchLimits();
    if (isPicture)
        attemptLimits.totalMs = attemptLimits.pictureTotalMs;
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
    directThreads.fetch_add(1);
    {
        std::vector<char> workBuffer(kFetchBufferSize);
        while (!StopRequested()) {
            PictureSlot slot;
            WebpageInfo request;
            if (PopDirect(&request, slot.Held())) {
                if (request.task.type != TaskPicture)
                    slot.Release();
                ProcessDirectRequest(request, workBuffer);
            } else if (slot.Held()) {
                slot.Release();
                DirectQueue().WaitForWork(kDirectFetchIdleMs);
            } else {
                WaitForDirectPage(kDirectFetchIdleMs);
            }
        }
    }
    directThreads.fetch_sub(1);
    ThreadEnd(kThreadName);
}

bool StartDirectFetchThread(ThreadRegistry& threads) {
    return threads.Start(RunDirectFetchThread);
}

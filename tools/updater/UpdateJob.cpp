#include "tools/updater/UpdateJob.h"

#include "common/Log.h"

UpdateJob::UpdateJob(UpdateDescription description, DownloadLimits limits, QObject* parent)
    : QObject(parent), description_(std::move(description)), limits_(limits) {
    limits_.maxBytes = description_.maxBytes;
}

UpdateJob::~UpdateJob() {
    cancel_ = true;
    if (thread_.joinable())
        thread_.join();
}

void UpdateJob::Start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void UpdateJob::Run() {
    int index = 0;
    for (const QString& address : description_.addresses) {
        if (cancel_)
            break;
        emit Attempt(index++, address);
        const DownloadResult result = DownloadToFile(
            address, description_.savePath, limits_,
            [this](int64_t received, int64_t total) { emit Progress(received, total); }, cancel_);
        if (result.outcome == DownloadOutcome::Saved) {
            Log(QStringLiteral("update saved from ") + address);
            emit Finished(description_.savePath, false);
            return;
        }
        Log(QStringLiteral("update download failed: ") + address + QStringLiteral(", ") +
                result.detail,
            LogWarn);
    }
    emit Finished(QString(), cancel_.load());
}

#pragma once

#include "tools/updater/SoftDownloader.h"
#include "tools/updater/UpdateDescription.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

// Downloads an update from its addresses in turn, on a thread of its own, until one gives the
// whole file. Signals arrive on the thread that created the job.
class UpdateJob : public QObject {
    Q_OBJECT
public:
    UpdateJob(UpdateDescription description, DownloadLimits limits, QObject* parent = nullptr);
    ~UpdateJob() override; // cancels and waits for the thread

    void Start();
    void Cancel() { cancel_ = true; }
    const UpdateDescription& Description() const { return description_; }

signals:
    // `index` counts the addresses from 0.
    void Attempt(int index, const QString& address);
    void Progress(qint64 received, qint64 total);
    // `savedPath` is empty unless the file was saved; `cancelled` when the user stopped it.
    void Finished(const QString& savedPath, bool cancelled);

private:
    void Run();

    UpdateDescription description_;
    DownloadLimits limits_;
    std::atomic<bool> cancel_{false};
    std::thread thread_;
};

#pragma once

#include <QString>

// An exclusive flock on a lock file, held until Unlock or destruction. Each instance opens
// its own descriptor, so threads of one process exclude each other too, and a dead
// holder's lock is free at once.
class FileLock {
public:
    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits at most `timeoutMs` (0: one try). Creates the file when missing.
    bool Lock(const QString& path, int timeoutMs);
    void Unlock();
    bool IsLocked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

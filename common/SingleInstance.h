#pragma once

#include "common/FileLock.h"

#include <QString>

// Holds the named program lock ("QuillmereClientExe", "QuillmereServerExe") in the home
// for the life of the process. A second process of the same name fails to take it.
class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    bool IsFirst() const { return lock_.IsLocked(); }

private:
    FileLock lock_;
};

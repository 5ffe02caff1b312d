#include "common/SingleInstance.h"

#include "common/ProgramDirectory.h"

SingleInstance::SingleInstance(const QString& name) {
    lock_.Lock(ProgramDirectory() + name, 0);
}

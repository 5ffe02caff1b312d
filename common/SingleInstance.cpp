#include "SingleInstance.h"

#include "ProgramDirectory.h"

SingleInstance::SingleInstance(const QString& name) { lock_.Lock(ProgramDirectory() + name, 0); }

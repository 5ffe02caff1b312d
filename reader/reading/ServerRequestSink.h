#pragma once

#include "common/Records.h"

// Where the reading window's requests to the server go: the reader's small queue in the
// program, a recorder in tests.
class ServerRequestSink {
public:
    virtual ~ServerRequestSink() = default;
    virtual void QueueSmall(const SmallMessage& message) = 0;
};

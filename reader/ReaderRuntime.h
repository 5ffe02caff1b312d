#pragma once

#include "common/CommandChannel.h"
#include "common/CrashHandler.h"
#include "common/ProcessInstance.h"
#include "common/ThreadRegistry.h"

// The reader's owner of everything its threads share: the channel and its sender thread,
// the thread registry of its workers, the crash handler watch. Created in main and destroyed
// before any static, so the program's end never waits on an object that has gone.
class ReaderRuntime {
public:
    ReaderRuntime() = default;
    ReaderRuntime(const ReaderRuntime&) = delete;
    ReaderRuntime& operator=(const ReaderRuntime&) = delete;

    CommandChannel& Channel() { return channel_; }
    ThreadRegistry& Threads() { return threads_; }

private:
    CrashHandlerWatch crashWatch_;
    CommandChannel channel_;
    ProcessInstance<CommandChannel> channelInstance_{channel_};
    // Last, so it goes first: its threads use everything above.
    ThreadRegistry threads_;
};

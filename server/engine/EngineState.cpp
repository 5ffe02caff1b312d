#include "server/engine/EngineState.h"

namespace {
std::atomic<EngineState*> current{nullptr};
} // namespace

EngineState::EngineState() {
    previous_ = current.exchange(this);
}

EngineState::~EngineState() {
    EngineState* expected = this;
    current.compare_exchange_strong(expected, previous_);
}

EngineState& EngineState::Current() {
    return *current.load();
}

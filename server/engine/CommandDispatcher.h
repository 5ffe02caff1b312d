#pragma once

#include "common/Records.h"

#include <functional>
#include <map>

// The table from command code to the action that serves it. A code without an entry is
// ignored (the channel has already logged it).
class CommandDispatcher {
public:
    using Action = std::function<void(const LargeMessage& record)>;

    void Set(int code, Action action) { actions_[code] = std::move(action); }
    bool Has(int code) const { return actions_.count(code) != 0; }

    // Runs the action for the record's code; false when the code has none.
    bool Dispatch(const LargeMessage& record) const {
        const auto it = actions_.find(record.Code());
        if (it == actions_.end())
            return false;
        it->second(record);
        return true;
    }

    // The small record in the first bytes of a received block.
    static SmallMessage SmallOf(const LargeMessage& record) {
        SmallMessage small;
        std::memcpy(&small, record.bytes, sizeof small);
        return small;
    }

private:
    std::map<int, Action> actions_;
};

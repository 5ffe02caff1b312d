#pragma once

#include <atomic>

// Makes one object the process's instance of its kind for as long as this lives, so that code
// far from the program's owner (a worker loop, a handler) can reach it. The owner holds both
// the object and this, and ends every thread that uses them before either goes; the slot
// itself is a plain pointer with nothing to destroy at exit.
template <typename T> class ProcessInstance {
public:
    explicit ProcessInstance(T& object) : object_(&object) { Slot().store(object_); }
    ~ProcessInstance() {
        T* expected = object_;
        Slot().compare_exchange_strong(expected, nullptr);
    }
    ProcessInstance(const ProcessInstance&) = delete;
    ProcessInstance& operator=(const ProcessInstance&) = delete;

    // The object installed now, or null.
    static T* Get() { return Slot().load(); }

private:
    static std::atomic<T*>& Slot() {
        static std::atomic<T*> slot{nullptr};
        return slot;
    }
    T* object_;
};

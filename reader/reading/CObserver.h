#pragma once

#include <vector>

// A small observer pattern: the subject calls Update on each attached observer in order.
class CObserverClient {
public:
    virtual ~CObserverClient() = default;
    virtual void Update() {}
};

class CObserverSvr {
public:
    virtual ~CObserverSvr() = default;
    void Attach(CObserverClient* observer) { observers_.push_back(observer); }
    void Notify() {
        for (CObserverClient* observer : observers_)
            observer->Update();
    }

private:
    std::vector<CObserverClient*> observers_;
};

#include "tools/demo-forum/LoginDesk.h"

#include "tools/demo-forum/DemoRandom.h"

LoginDesk::LoginDesk(uint64_t seed) : seed_(seed) {
    NewCodeLocked();
}

void LoginDesk::NewCodeLocked() {
    ++serial_;
    DemoRandom random(MixSeed(seed_, 70000 + static_cast<uint64_t>(serial_)));
    code_ = QString::number(random.Between(1000, 9999));
}

LoginDesk::Outcome LoginDesk::Submit(const QString& user, const QString& password,
                                     const QString& code) {
    std::lock_guard lock(mutex_);
    if (codeRequired_ && code.trimmed() != code_) {
        NewCodeLocked();
        return Outcome::WrongCode;
    }
    if (user.trimmed() != TestUser() || password != TestPassword()) {
        codeRequired_ = true;
        NewCodeLocked();
        return Outcome::WrongAccount;
    }
    codeRequired_ = false;
    return Outcome::LoggedIn;
}

bool LoginDesk::CodeRequired() const {
    std::lock_guard lock(mutex_);
    return codeRequired_;
}

QString LoginDesk::Code() const {
    std::lock_guard lock(mutex_);
    return code_;
}

int LoginDesk::CodeSerial() const {
    std::lock_guard lock(mutex_);
    return serial_;
}

void LoginDesk::NewCode() {
    std::lock_guard lock(mutex_);
    NewCodeLocked();
}

QString LoginDesk::SessionToken() const {
    return QString::number(MixSeed(seed_, 80000), 16);
}

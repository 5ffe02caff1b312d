#pragma once

#include <QString>
#include <cstdint>
#include <mutex>

// The forum's one test account and its verification code. A code is asked for after a
// failed login and until the next successful one; every failed attempt draws a new code.
class LoginDesk {
public:
    explicit LoginDesk(uint64_t seed);

    static QString TestUser() { return QStringLiteral("demo"); }
    static QString TestPassword() { return QStringLiteral("demo123"); }

    enum class Outcome { LoggedIn, WrongAccount, WrongCode };
    Outcome Submit(const QString& user, const QString& password, const QString& code);

    bool CodeRequired() const;
    QString Code() const;
    int CodeSerial() const;
    void NewCode();
    // The cookie value of a logged-in session.
    QString SessionToken() const;

private:
    void NewCodeLocked();

    uint64_t seed_;
    mutable std::mutex mutex_;
    bool codeRequired_ = false;
    int serial_ = 0;
    QString code_;
};

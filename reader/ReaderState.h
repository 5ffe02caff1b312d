#pragma once

#include "common/Records.h"

#include <QList>
#include <QString>

#include <mutex>

// The account the reader last logged in with; read and written on the user-interface thread.
struct LoginState {
    QString userName;
    QString password;
    int loggedIn = 0;
};

// Flags of section ModuleValid, read once at start.
struct ModuleFlags {
    int reply = 1;
    int getImg = 1;
};

// The discount recommendations the server has sent during this run; entries are appended and
// never removed. The reading window shows one of them.
class HotRecommendList {
public:
    void Append(const QList<HotRecommendItem>& items);
    QList<HotRecommendItem> Copy() const;
    int Count() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    QList<HotRecommendItem> items_;
};

// The counters of section HelpTip: each action lowers its own, and a counter that reached 0
// is written back at exit.
class HelpTips {
public:
    enum Counter {
        ClickToDown,
        ClickToRead,
        TurnReadContent,
        ChangeViewModel,
        DelMyFocus,
        HelpDetail
    };
    static constexpr int kCount = 6;
    static QString KeyOf(int counter);

    void Read();
    void Lower(Counter counter);
    int Value(Counter counter) const { return values_[counter]; }
    void WriteZeros() const;

private:
    int values_[kCount] = {};
    qint64 readAt_ = 0;
};

// What the application object holds for every window of the reader.
LoginState& TheLoginState();
ModuleFlags& TheModuleFlags();
HotRecommendList& TheHotRecommendList();
HelpTips& TheHelpTips();

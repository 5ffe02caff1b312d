#include "reader/ReaderState.h"

#include "common/Settings.h"

#include <QDateTime>

void HotRecommendList::Append(const QList<HotRecommendItem>& items) {
    std::lock_guard lock(mutex_);
    items_.append(items);
}

QList<HotRecommendItem> HotRecommendList::Copy() const {
    std::lock_guard lock(mutex_);
    return items_;
}

int HotRecommendList::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

void HotRecommendList::Clear() {
    std::lock_guard lock(mutex_);
    items_.clear();
}

QString HelpTips::KeyOf(int counter) {
    static const char* const keys[kCount] = {"ClickToDown",     "ClickToRead", "TurnReadContent",
                                             "ChangeViewModel", "DelMyFocus",  "HelpDetail"};
    return QString::fromLatin1(keys[counter]);
}

void HelpTips::Read() {
    for (int i = 0; i < kCount; ++i)
        values_[i] = ReadSettingInt(QStringLiteral("HelpTip"), KeyOf(i), 0);
    readAt_ = QDateTime::currentSecsSinceEpoch();
}

void HelpTips::Lower(Counter counter) {
    int& value = values_[counter];
    value = value >= 2 ? 1 : 0;
}

void HelpTips::WriteZeros() const {
    for (int i = 0; i < kCount; ++i)
        if (values_[i] == 0)
            WriteSettingText(QStringLiteral("HelpTip"), KeyOf(i), QStringLiteral("0"));
}

LoginState& TheLoginState() {
    static LoginState state;
    return state;
}

ModuleFlags& TheModuleFlags() {
    static ModuleFlags flags;
    return flags;
}

HotRecommendList& TheHotRecommendList() {
    static HotRecommendList list;
    return list;
}

HelpTips& TheHelpTips() {
    static HelpTips tips;
    return tips;
}

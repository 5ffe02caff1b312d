#include "skin/SkinSettings.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace {

SkinSettings BuiltInSkin() {
    SkinSettings s;
    // Noto Sans CJK renders the Chinese texts; the sans fallback covers systems without it.
    const QStringList families{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"),
                               QStringLiteral("sans-serif")};
    s.captionFont.setFamilies(families);
    s.captionFont.setPixelSize(15);
    s.captionFont.setBold(true);
    s.controlFont.setFamilies(families);
    s.controlFont.setPixelSize(13);
    return s;
}

// The GUI thread alone reads and writes these.
SkinSettings& Current() {
    static SkinSettings settings = BuiltInSkin();
    return settings;
}

QString& CurrentPath() {
    static QString path;
    return path;
}

int& Generation() {
    static int generation = 0;
    return generation;
}

std::vector<QWidget*>& Registry() {
    static std::vector<QWidget*> windows;
    return windows;
}

} // namespace

const SkinSettings& CurrentSkin() {
    return Current();
}

void InitSkin(const QString& skinPath) {
    if (!skinPath.isEmpty() && skinPath == CurrentPath())
        return;
    CurrentPath() = skinPath;
    Current() = BuiltInSkin();
    ++Generation();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::setFont(Current().controlFont);
    for (QWidget* window : Registry())
        window->update();
}

int SkinGeneration() {
    return Generation();
}

void RegisterSkinWindow(QWidget* window) {
    Registry().push_back(window);
}

void UnregisterSkinWindow(QWidget* window) {
    auto& list = Registry();
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
}

int RegisteredSkinWindowCount() {
    return static_cast<int>(Registry().size());
}

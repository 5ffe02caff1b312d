#include "reader/OpenInBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
std::function<void(const QString&)>& opener() {
    static std::function<void(const QString&)> value;
    return value;
}
} // namespace

void SetBrowserOpener(std::function<void(const QString&)> value) {
    opener() = std::move(value);
}

void OpenInBrowser(const QString& address) {
    if (opener())
        opener()(address);
    else
        QDesktopServices::openUrl(QUrl(address));
}

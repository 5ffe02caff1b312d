#include "reader/CHotRecommend.h"

#include "common/Settings.h"
#include "reader/CExplorer1.h"
#include "reader/OpenInBrowser.h"

CHotRecommend::CHotRecommend(QWidget* parent) : CBrowserPage(false, parent) {
    connect(Browser(), &CExplorer1::newWindowAddress, this,
            [](const QString& address) { OpenInBrowser(address); });
}

QString CHotRecommend::Address() const {
    return QStringLiteral("http://") + Hosts().discountSite + QStringLiteral("/zhe/");
}

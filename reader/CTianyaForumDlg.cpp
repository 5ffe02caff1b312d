#include "reader/CTianyaForumDlg.h"

#include "common/Settings.h"
#include "reader/CExplorer1.h"
#include "reader/FollowQuestion.h"

CTianyaForumDlg::CTianyaForumDlg(ServerLink* link, QWidget* parent)
    : CBrowserPage(true, parent), link_(link) {
    connect(Browser(), &CExplorer1::newWindowAddress, this, &CTianyaForumDlg::OnNewWindow);
}

QString CTianyaForumDlg::Address() const {
    return QStringLiteral("http://") + Hosts().forumWww + QStringLiteral("/bbs/index.shtml");
}

void CTianyaForumDlg::OnNewWindow(const QString& address) {
    if (!address.isEmpty())
        AskToFollow(link_, this, address, address);
}

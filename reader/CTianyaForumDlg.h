#pragma once

#include "reader/CBrowserPage.h"

class ServerLink;

// The forum's board index; a link that opens a new window is offered for following.
class CTianyaForumDlg : public CBrowserPage {
    Q_OBJECT
public:
    explicit CTianyaForumDlg(ServerLink* link, QWidget* parent = nullptr);
    QString Address() const override;
    void OnNewWindow(const QString& address);

private:
    ServerLink* link_;
};

#include "reader/FollowQuestion.h"

#include "reader/OpenInBrowser.h"
#include "reader/ServerLink.h"
#include "reader/ShowMessage.h"

void AskToFollow(ServerLink* link, QWidget* parent, const QString& address, const QString& name) {
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    const QString question = QStringLiteral("是否将") + quoted + QStringLiteral("添加为关注？");
    if (ShowMessage(MessageQuestion, parent, question) == ResultYes)
        link->Follow(address, quoted);
    else
        OpenInBrowser(address);
}

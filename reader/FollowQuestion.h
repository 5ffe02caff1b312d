#pragma once

#include <QString>

class QWidget;
class ServerLink;

// Asks whether to follow the thread at `address`, named `name`; yes sends the follow request
// with the name in double quotes as its label, no opens the address in the default browser.
void AskToFollow(ServerLink* link, QWidget* parent, const QString& address, const QString& name);

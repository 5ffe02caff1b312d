#pragma once

#include "skin/CSkinDialogEx.h"

#include <QTimer>

class QLineEdit;
class CSkinButton;
class CTransparentStatic;
class ServerLink;

// Follows a thread by its address: sends it to the server and shows progress until the answer.
class CAddFocusWebpageDlg : public CSkinDialogEx {
    Q_OBJECT
public:
    explicit CAddFocusWebpageDlg(ServerLink* link, QWidget* parent = nullptr);

    // The address as sent, or empty when the forum's domain is not in it.
    static QString AcceptedAddress(const QString& typed, const QString& forumBareHost);
    // The status text after `counter` ticks.
    static QString ProgressText(int counter);

    void Add();
    // The server answered: the dialog is ready for another address.
    void ShowAddFollowResult();

    QLineEdit* AddressEdit() const { return address_; }
    CTransparentStatic* StatusLabel() const { return status_; }
    CSkinButton* AddButton() const { return add_; }
    bool Waiting() const { return timer_.isActive(); }
    // One tick of the progress timer.
    void Tick();

private:
    ServerLink* link_;
    QLineEdit* address_ = nullptr;
    CTransparentStatic* status_ = nullptr;
    CSkinButton* add_ = nullptr;
    CSkinButton* exit_ = nullptr;
    QTimer timer_;
    int counter_ = 0;
};

#pragma once

#include "common/ChannelReceiver.h"
#include "server/engine/CommandDispatcher.h"

#include <QDialog>

#include <atomic>

// The server's hidden main window: the reader finds it by its title and delivers commands
// to it; it dispatches each command and never waits for the network itself.
class CQuillmereServerDlg : public QDialog {
    Q_OBJECT
public:
    explicit CQuillmereServerDlg(CommandDispatcher& dispatcher, QWidget* parent = nullptr);

    // Title, channel, peer-missing callback and the start record; false when the window's
    // socket cannot be made.
    bool Initialise();

    // Asks the window to close, once however often it is called (any thread).
    void RequestCloseOnce();

    void WriteLogAndTell();

private:
    CommandDispatcher& dispatcher_;
    ChannelReceiver receiver_;
    std::atomic<bool> closeRequested_{false};
};

#pragma once

#include "common/ChannelReceiver.h"

#include <QWidget>

#include <atomic>

class QLabel;

// The reader's top-level window: the server delivers its commands here, found by the
// window's title.
class CMainDlg : public QWidget {
    Q_OBJECT
public:
    explicit CMainDlg(QWidget* parent = nullptr);

    bool Initialise();
    bool IsClosing() const { return closing_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnCopyData(const LargeMessage& record, int size);

    ChannelReceiver receiver_;
    QLabel* status_ = nullptr;
    bool closing_ = false;
};

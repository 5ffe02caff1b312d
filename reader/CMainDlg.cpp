#include "reader/CMainDlg.h"

#include "common/CommandChannel.h"
#include "common/Log.h"
#include "reader/ServerLauncher.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CMainDlg::CMainDlg(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Quillmere"));
    resize(960, 640);
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(QStringLiteral("正在启动服务…"), this);
    layout->addWidget(status_);
    auto* writeLog = new QPushButton(QStringLiteral("输出日志"), this);
    layout->addWidget(writeLog, 0, Qt::AlignLeft);
    layout->addStretch();
    connect(writeLog, &QPushButton::clicked, this, [] {
        WriteLogFile(QStringLiteral("ClientLog.txt"));
        CommandChannel::Process().QueueSmall(MakeSmall(CDTWriteLog));
    });
}

bool CMainDlg::Initialise() {
    const bool listening = receiver_.Listen(
        windowTitle(), [this](const LargeMessage& record, int size) { OnCopyData(record, size); });
    CommandChannel& channel = CommandChannel::Process();
    channel.StartChannel(QStringLiteral("QuillmereServerMainDlg"));
    // A server that went away is started again; a copy that finds one running ends at once.
    channel.SetPeerMissingCallback([](int reason) {
        if (reason == CommandChannel::PeerMissing)
            ServerLauncher::Start();
    });
    return listening;
}

void CMainDlg::OnCopyData(const LargeMessage& record, int) {
    if (closing_)
        return;
    if (record.Code() == CDTSvrRun)
        status_->setText(QStringLiteral("服务已启动"));
}

void CMainDlg::closeEvent(QCloseEvent* event) {
    closing_ = true;
    CommandChannel& channel = CommandChannel::Process();
    channel.SetPeerMissingCallback({});
    channel.QueueSmall(MakeSmall(CDTAppExit));
    // Give the exit record a moment; a server that misses it ends when it misses this window.
    channel.WaitUntilIdle(1000);
    event->accept();
}

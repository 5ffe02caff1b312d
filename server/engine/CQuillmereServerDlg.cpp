#include "server/engine/CQuillmereServerDlg.h"

#include "common/CommandChannel.h"
#include "common/Log.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

inline constexpr auto kServerWindowTitle = "QuillmereServerMainDlg";
inline constexpr auto kReaderWindowTitle = "Quillmere";
inline constexpr int kReaderWatchMs = 2000;

CQuillmereServerDlg::CQuillmereServerDlg(CommandDispatcher& dispatcher, QWidget* parent)
    : QDialog(parent), dispatcher_(dispatcher) {
    // The controls exist and work although the window is never shown.
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QPushButton(QStringLiteral("Test 1"), this));
    layout->addWidget(new QPushButton(QStringLiteral("Test 2"), this));
    auto* writeLog = new QPushButton(QStringLiteral("输出日志"), this);
    auto* quit = new QPushButton(QStringLiteral("退出"), this);
    layout->addWidget(writeLog);
    layout->addWidget(quit);
    connect(writeLog, &QPushButton::clicked, this, &CQuillmereServerDlg::WriteLogAndTell);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
    setWindowFlag(Qt::Tool);
}

bool CQuillmereServerDlg::Initialise() {
    setWindowTitle(QString::fromLatin1(kServerWindowTitle));
    const bool listening = receiver_.Listen(
        windowTitle(), [this](const LargeMessage& record, int) { dispatcher_.Dispatch(record); });
    CommandChannel& channel = CommandChannel::Process();
    channel.StartChannel(QString::fromLatin1(kReaderWindowTitle));
    channel.SetPeerMissingCallback([this](int) { RequestCloseOnce(); });
    channel.QueueSmall(MakeSmall(CDTSvrRun));
    // The reader may vanish without a word (killed, crashed); a server with nothing to send
    // would not notice, so look for its window now and then.
    auto* readerWatch = new QTimer(this);
    connect(readerWatch, &QTimer::timeout, this, [this] {
        if (CommandChannel::Process().FindPeer() != CommandChannel::PeerFound)
            RequestCloseOnce();
    });
    readerWatch->start(kReaderWatchMs);
    return listening;
}

void CQuillmereServerDlg::RequestCloseOnce() {
    if (closeRequested_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this, [this] { reject(); }, Qt::QueuedConnection);
}

void CQuillmereServerDlg::WriteLogAndTell() {
    WriteLogFile(QStringLiteral("SvrLog.txt"));
    QMessageBox::information(this, windowTitle(), QStringLiteral("输入日志成功！"));
}

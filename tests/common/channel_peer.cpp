// A stand-in main window for channel tests: listens under a title in a home and appends one
// line per record it accepts to a file: "<code> <size> <a> <address length>".
#include "common/ChannelReceiver.h"
#include "common/ProgramDirectory.h"
#include "server/engine/CommandDispatcher.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString title = QStringLiteral("Peer");
    QString out;
    int delayFirstMs = 0;
    int stallMs = 10000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--title"))
            title = args[i + 1];
        else if (args[i] == QLatin1String("--out"))
            out = args[i + 1];
        else if (args[i] == QLatin1String("--delay-first-ms"))
            delayFirstMs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--stall-ms"))
            stallMs = args[i + 1].toInt();
    }
    if (!InitProgramDirectory(argc, argv))
        return 2;
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return 2;

    ChannelReceiver receiver;
    receiver.SetStallLimitMs(stallMs);
    bool first = true;
    const bool listening = receiver.Listen(title, [&](const LargeMessage& record, int size) {
        if (first && delayFirstMs > 0)
            QThread::msleep(static_cast<unsigned long>(delayFirstMs));
        first = false;
        const SmallMessage small = CommandDispatcher::SmallOf(record);
        qsizetype addressLength = 0;
        if (record.Code() == CDTAddFocusWebpage && size == kLargeMessageSize)
            addressLength = FromLarge<AddFocusRequest>(record).address.Get().size();
        file.write(QStringLiteral("%1 %2 %3 %4\n")
                       .arg(record.Code())
                       .arg(size)
                       .arg(small.a)
                       .arg(addressLength)
                       .toLatin1());
        file.flush();
        if (record.Code() == CDTAppExit)
            QCoreApplication::quit();
    });
    if (!listening)
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

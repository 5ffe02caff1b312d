// Widget tests need a full application; they run on the offscreen platform.
#include "skin/SkinSettings.h"

#include <QApplication>

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// The offscreen platform cannot shape windows and says so at every mask; the masks themselves
// are kept and tested.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.contains(QLatin1String("does not support setting window masks")))
        return;
    fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    InitSkin(QString());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

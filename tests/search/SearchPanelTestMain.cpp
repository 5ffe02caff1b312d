// Widget tests need a full application with the skin; they run on the offscreen platform.
#include "skin/SkinSettings.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitSkin(QString());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

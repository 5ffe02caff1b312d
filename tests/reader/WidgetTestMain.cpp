// Widget tests need a full application; they run offscreen.
#include "skin/SkinSettings.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    InitSkin(QString());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

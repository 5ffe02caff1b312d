// Widget tests need a GUI application; the web engine wants shared GL contexts set first.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

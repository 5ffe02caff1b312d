// The default main of the test executables: a core application so Qt's event-driven classes
// (processes, sockets, timers) work as they do in the programs.
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

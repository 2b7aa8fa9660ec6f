// One QCoreApplication for the whole test process, so tests can run the event
// loop (QSignalSpy::wait, QTest::qWaitFor).
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

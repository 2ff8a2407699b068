// Shared main for tests that need a Qt application object. The object lives for the whole run,
// so tests can spin the event loop (QTest::qWait, QSignalSpy::wait).
#include <gtest/gtest.h>

#if defined(QS_TEST_MAIN_GUI)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no application and so no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
#if defined(QS_TEST_OFFSCREEN)
    // Widget tests that need no X server run on Qt's offscreen platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

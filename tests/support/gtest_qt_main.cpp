// gtest main for tests that need Qt's event loop: one application object for the whole run.
#include <gtest/gtest.h>

#if defined(PAGEWRIGHT_TEST_WIDGETS)
#include <QApplication>
using TestApplication = QApplication;
#elif defined(PAGEWRIGHT_TEST_GUI)
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Headless, also when ctest lists the tests at build time.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}

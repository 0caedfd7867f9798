// Test entry: the Qt application object exists as in the program (it also takes the process locale
// from the environment, which is how the Russian-locale run reaches the code under test).
#include "support/SanitizerOptions.h"

#include <gtest/gtest.h>

#ifdef R9_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char **argv) {
    // Windows are tested on the offscreen platform unless the caller chose another (Xvfb for a look).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

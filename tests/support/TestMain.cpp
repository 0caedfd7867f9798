// Test entry: the Qt application object exists as in the program (it also takes the process locale
// from the environment, which is how the Russian-locale run reaches the code under test).
#include <gtest/gtest.h>

#ifdef R9_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// Sanitizer settings of every test program, whichever way CTest starts it. Leaks are not reported: Qt
// and the JPEG library keep process-wide state to the end.
extern "C" const char *__asan_default_options() {
    return "detect_leaks=0:abort_on_error=1";
}
extern "C" const char *__ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

int main(int argc, char **argv) {
    // Windows are tested on the offscreen platform unless the caller chose another (Xvfb for a look).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

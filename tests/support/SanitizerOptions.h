#pragma once

// Sanitizer settings of every test program, whichever way CTest starts it. Leaks are not reported: Qt
// and the JPEG library keep process-wide state to the end. The sanitizers look these functions up by
// name, so this header goes into the one file of a program that holds main().
extern "C" const char *__asan_default_options() {
    return "detect_leaks=0:abort_on_error=1";
}
extern "C" const char *__ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

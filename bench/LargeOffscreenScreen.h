#pragma once

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// Qt's offscreen platform has an 800x600 screen by default, which clamps every window to it; the
// benchmarks need the large screen a maximised window sits on. Call before the QApplication exists.
inline void UseLargeOffscreenScreen() {
    char path[] = "/tmp/r9_bench_screen_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return;
    }
    const char screen[] =
        R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 2560, "height": 1600, "dpi": 96, "dpr": 1}]})";
    const bool written = write(fd, screen, sizeof screen - 1) == ssize_t(sizeof screen - 1);
    close(fd);
    qputenv("QT_QPA_PLATFORM", written ? QByteArray("offscreen:configfile=") + path : QByteArray("offscreen"));
}

#pragma once

#include <QString>
#include <QWidget>

// Keeps a picture of a window for a look by eye when R9_SCREENSHOTS names a folder; does nothing
// otherwise, so test runs leave no files behind.
inline void SaveScreenshot(QWidget &window, const QString &name) {
    const QString folder = qEnvironmentVariable("R9_SCREENSHOTS");
    if (!folder.isEmpty())
        window.grab().save(folder + '/' + name + QStringLiteral(".png"));
}

#include "platform/NumberFormat.h"

#include <QApplication>
#include <QMainWindow>

// Program entry. Until the main window arrives, the program opens an empty frame under its own name so
// that the demo command already starts something a user can see.
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    InitNumberFormat();
    QString programName = QStringLiteral("R9_307");
    for (const QString &arg : app.arguments().mid(1))
        if (arg.compare(QStringLiteral("/demo"), Qt::CaseInsensitive) == 0)
            programName = QStringLiteral("R9 ДЕМО-режим");
    QMainWindow window;
    window.setWindowTitle(programName);
    window.resize(1024, 700);
    window.show();
    return app.exec();
}

#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the graph windows take from the main window, which fills it at start. Empty members (tests, a
// window without a main window) stand for the program folder's R9.ini and for folders of the window's own.
struct TGraphHost {
    std::function<QString()> IniFileName;
    // The last mask and report folders, which the table dialog stores back.
    std::function<QString *()> DirMaskFile;
    std::function<QString *()> DirReport;
    // The names of the mask templates the parameter rows point at.
    std::function<QStringList()> MaskNames;
};
extern TGraphHost GraphHost;

// Windows colour values 0x00BBGGRR, as the program stores them, and back.
class QColor;
QColor WinColor(int colour);
int WinColorValue(const QColor &colour);

#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
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
    // The parameter windows and the result table follow changed row settings (a mask switched on or
    // off).
    std::function<void()> RefreshParamTables;
    // The mask colour dialog edits a mask side's colour, line width and style (1 line, 0 template), the
    // graph colour dialog a series of a graph kind; true when confirmed. Until their units register them
    // the plain colour dialog edits the colour alone.
    std::function<bool(QWidget *owner, int32_t &colour, int32_t &width, int32_t &isLine)> EditMaskStyle;
    std::function<bool(QWidget *owner, int kind, class TChartSeries &series)> EditSeriesColour;
};
extern TGraphHost GraphHost;

// Windows colour values 0x00BBGGRR, as the program stores them, and back.
class QColor;
QColor WinColor(int colour);
int WinColorValue(const QColor &colour);

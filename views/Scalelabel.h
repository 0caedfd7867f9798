#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class TFormPlacement;

inline constexpr int ScaleLabelWindowCount = 10; // value-window number
inline constexpr int ScaleLabelFirstTag = 81;    // WindowTag of slot 0

// The value windows' registry; a slot is empty exactly while its window does not exist.
extern std::array<QPointer<QWidget>, ScaleLabelWindowCount> ScaleLabelWindows;

// What a value window takes from the main window, which fills it at start. Empty members (tests, a window
// without a main window) leave the window standing alone, with R9.ini in the program folder and no width
// limit.
struct TScaleLabelHost {
    // Makes a new window a child of the main window with a Window-menu item of its Tag, and shows it.
    std::function<void(QWidget *window, int tag)> Place;
    std::function<void(QWidget *window)> RemoveWindowMenuItem;
    std::function<QString()> IniFileName;
    std::function<int()> ClientWidth;
    // The result folder of the running batch, empty while none runs.
    std::function<QString()> BatchResultFolder;
    // The open parameter windows re-read their rows (a closed value window switched its row's TextWindow
    // off). The parameter windows do not exist yet; nothing registers this today.
    std::function<void()> ShowParams;
};
extern TScaleLabelHost ScaleLabelHost;

// A big-digit window of one value: the name above, the value below on navy, the value red while it
// fails its norm or mask. The value and its verdict are looked up anew at every update, by table row or
// by graph point with bounds checks, because the curve and verdict arrays are reallocated under it.
class TFormScaleLabel : public QWidget {
    Q_OBJECT
public:
    // Opened through ShowParamScaleLabel and ShowPointScaleLabel, which bind it to its value.
    TFormScaleLabel(int32_t slot, const QString &name);
    ~TFormScaleLabel() override;

    QLabel *Label1 = nullptr; // the name
    QLabel *Label2 = nullptr; // the value

    int32_t Slot = 0;
    int16_t IndexNorm = -1;    // graph point: the value-table cell (index into the point verdicts)
    int16_t IndexValue = -1;   // graph point: the point of the curve
    int16_t IndexMask = -1;    // graph point: the mask slot of its verdicts
    uint8_t *Key = nullptr;    // parameter: the row's TextWindow switch; null for a graph point
    int16_t FormIndexPar = -1; // graph point: the graph kind of the curve
    int32_t TableKind = 0;     // parameter: the signal kind of its table (1..7)
    int32_t TableRow = -1;     // parameter: its row

    void UpdateScaleLabel();
    void FormDblClick();
    // Where the double click writes the value: the batch result folder or Report/Temp<n>/.
    QString ValueFileName() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void FitFonts(int clientHeight);
    void FitWidth();

    static constexpr int DefaultClientHeight = 120; // until the user sizes the window

    QWidget *Body = nullptr; // holds the labels
    TFormPlacement *FormStorage1 = nullptr;
};

// Raises the window of a parameter row (signal kind 1..7 of its table, row index), or opens one; false
// (after the message) when ten windows are open or the row does not exist.
bool ShowParamScaleLabel(const QString &name, int32_t tableKind, int32_t row);
// The same for a point of a graph curve: indexNorm the value-table cell, indexValue the point, formIndexPar
// the graph kind and indexMask the mask slot of the point verdicts (-1 none).
bool ShowPointScaleLabel(const QString &name, int16_t indexNorm, int16_t indexValue, int16_t formIndexPar,
                         int16_t indexMask);
// Every open value window shows its value anew (after each judged frame).
void UpdateScaleLabels();
// Closes the windows of a parameter row whose switch is key, leaving the switch as it is (the row is no
// longer analysed, or its switch was turned off already).
void CloseParamScaleLabels(const uint8_t *key);
// Closes the windows of the points of a graph kind's curve.
void ClosePointScaleLabels(int16_t graphKind);

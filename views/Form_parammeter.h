#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QTableWidget;
class QToolButton;
class TForm_SetMask;
class TFormStorage;
class TZeltCSpinEdit;
struct ParamDescriptor;

inline constexpr int MeasParWindowCount = 7; // table index 0 SIN .. 6 SYNC

// The parameter windows' registry; a slot is empty exactly while its window does not exist.
extern std::array<QPointer<QWidget>, MeasParWindowCount> MeasParWindows;

// The parameter window of one table (index 0..6 = signal kind - 1): a grid with one row per parameter in
// which the user switches analysis, protocol, time diagram, value window, the norms and the margin, and
// edits the norms: numbers in a spin edit, curves as mask templates through the mask dialog. Every change
// goes straight into the table row.
class TForm_MeasPar : public QWidget {
    Q_OBJECT
public:
    explicit TForm_MeasPar(int32_t index, QWidget *parent = nullptr);
    ~TForm_MeasPar() override;

    QTableWidget *SG = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    int32_t Index = 0;
    ParamDescriptor *Table = nullptr;
    int32_t RowCount = 0;

    // Refills every row from the table.
    void ShowParams();
    // Applies the settings lock to the editors and refills the grid.
    void EnableEditors();
    // While a playback applies recorded settings or a scenario runs, analysis and norms stay as they are.
    bool SettingsLocked() const;
    // Whether the evaluation works on this window's table now.
    bool IsCurrentTable() const;

    // The check box of a cell (grid row = table row + 1): asks where the change may break a remote link,
    // toggles the switch and does what the switch stands for.
    void CBoxClick(int column, int row);
    // The "..." button of a mask norm cell.
    void BtnClick(int column, int row);
    // Makes a cell current when it may be: only the norm columns can be current, and their neighbours
    // lead to the other norm column. False when the cell was refused.
    bool SGSelectCell(int column, int row);
    // The spin edit of the current numeric norm cell: the questions on entering, the norm on every change
    // and, when it is left, the snapped norm shown.
    bool SpEdtEnter();
    bool AgreeToNormChange();
    void SpEdtChange();
    void SpEdtExit();
    // Chooses the mask files of a curve row's norm (column 6 lower, 8 upper) in the mask dialog.
    void EditMaskNorm(int column, int row);

    // The check box of a cell, null where the row has no such setting.
    QWidget *CheckBoxAt(int column, int row) const;
    bool BoxChecked(int column, int row) const;
    // The norm editor of the current cell, when it is of that kind.
    TZeltCSpinEdit *SpinEdit() const;
    QToolButton *MaskButton() const;
    // The background of a data cell, 0x00BBGGRR.
    int32_t CellColour(int column, int row) const;

    // Runs the mask dialog; the program shows it modally, tests choose files in it instead.
    std::function<void(TForm_SetMask &dialog)> RunMaskDialog;

    void FormStorage1SavePlacement();
    void FormStorage1RestorePlacement();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void CreateCheckBoxes(int row);
    void ShowRow(int row);
    void UpdateRowEnables(int row);
    void ColumnAction(int column, int row);
    void ApplyMaskSide(int column, int row);
    void CurrentCellChanged(int row, int column, int previousRow, int previousColumn);
    void PlaceNormEditor();
    void DropNormEditor();
    void ShowCurrentRowColour(int row, bool current);
    void RefreshResultNormCells(int row);
    ParamDescriptor &RowOf(int gridRow) const;

    int editorColumn_ = -1; // the cell that holds the norm editor, -1 none
    int editorRow_ = -1;
    bool selecting_ = false;
    bool asking_ = false;
    bool writing_ = false;
    // Whether the user agreed to edit the current norm editor (asked on entering it, or at its first
    // change when it changed without being entered), and whether the last question was declined: a
    // declined edit keeps the norm until the editor is entered again.
    bool normAgreed_ = false;
    bool normDeclined_ = false;
};

QWidget *CreateMeasParWindow(int index);

// Every open parameter window refills its rows, or applies the settings lock anew.
void ShowParamsOfAllWindows();
void EnableEditorsOfAllWindows();

// The value window and the time diagram of a row follow its switches (also used by configuration loading).
void SetParamFromConfig(int32_t row, bool releaseIfOff, int32_t tableIndex);
// Opens the value window of an analysed row with its switch on; closes it otherwise.
void BindRowTextWindow(int32_t row, int32_t tableIndex);
// The caption of the window of a table index ("SIN - Настройка параметров"): its R9.ini section.
QString ParamTableCaption(int32_t tableIndex);

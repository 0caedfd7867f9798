#pragma once

#include "chart/ChartlibChart.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QAction;
class QMenu;
class QTableWidget;
class TFormStorage;
struct ParamDescriptor;
struct ParamResult;

inline constexpr int BaseParWindowCount = 2; // 0 local results, 1 the remote analyser's

// The result tables' registry; a slot is empty exactly while its window does not exist.
extern std::array<QPointer<QWidget>, BaseParWindowCount> BaseParWindows;

// The result table of the current signal kind: the analysed parameters with value, applied norms and
// margin, red where a value is out of norm. Index 0 shows this analyser's results, index 1 the remote
// analyser's. It keeps no copies: every refresh reads the rows' results anew.
class TForm_BasePar : public QWidget, public TResultsTableSource {
    Q_OBJECT
public:
    explicit TForm_BasePar(int32_t index, QWidget *parent = nullptr);
    ~TForm_BasePar() override;

    QTableWidget *SG = nullptr;
    QMenu *PopupMenu_Table = nullptr;
    QAction *N_TableSave = nullptr;
    TFormStorage *FormStorage1 = nullptr;

    int32_t Index = 0;
    int32_t RowCount = 0;
    ParamDescriptor *Table = nullptr;
    int32_t Ready = 0;
    std::vector<const ParamResult *> Results;
    std::vector<int32_t> RowOfGridRow; // grid row r >= 1: entry r - 1 is the table row shown there
    std::vector<int32_t> GridRowOfRow; // -1 for a row that is not shown

    // Chooses the table by the signal kind, sets the caption and fills every row.
    void Rebuild();
    // Fills the rows again after the analysis switches changed.
    void ResizeGrid();
    // The value and margin cells of every shown row.
    void RefreshValues();
    // The norm cells of one table row (argument: the parameter window's grid row, table row + 1).
    void UpdateNormCells(int32_t parameterGridRow);
    // The local window opens the parameter window on a double-clicked parameter; other double clicks
    // offer the table's menu.
    void SGDblClick(int column, int row);
    void N_TableSaveClick();

    // The background of a cell (0x00BBGGRR), as it is drawn; white while the maps are being rebuilt.
    int32_t CellColour(int column, int row) const;

    const ParamDescriptor *ResultRows() const override;
    int ResultRowCount() const override;
    QStringList MaskNames() const override;

    void FormStorage1SavePlacement();
    void FormStorage1RestorePlacement();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillRows();
    void ShowRowColours(int gridRow);
    const ParamResult &ResultOf(int32_t tableRow) const;
};

QWidget *CreateBaseParWindow(int index);

// The local result table, when open, shows the rows' new values (after each judged frame).
void RefreshLocalResultTable();
// The local result table, when open, takes the table of the new signal kind: the entry that the
// signal-kind change calls.
void RebuildLocalResultTable();

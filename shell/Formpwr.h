#pragma once

#include <QWidget>

class QTableWidget;

// "Контроль питания и температуры": one grid of the 14 supply, battery and temperature readings of the
// PowerState table, refreshed by the main window's power timer; a reading out of its tolerance shows its
// state cell red. A child window of the main window's client area; it frees itself when closed.
class TForm_Power : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Power(QWidget *parent = nullptr);

    QTableWidget *SG;

    // Fills every row from the table as it stands now.
    void RefreshPowerGrid();
    // Fills row i + 1 from entry i.
    void ShowPowerRow(int i);

private:
    void BuildPowerGrid();
};

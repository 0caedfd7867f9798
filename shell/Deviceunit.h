#pragma once

#include <QDialog>

class QPushButton;
class QTableWidget;
class QWidget;

// "О приборе...": the instrument's identification as it was when the dialog opened, in a two-column
// grid above an OK button. It frees itself when closed.
class TDeviceForm : public QDialog {
    Q_OBJECT
public:
    explicit TDeviceForm(QWidget *owner = nullptr);

    QTableWidget *SG;
    QWidget *Panel1;
    QPushButton *BitBtn1;

private:
    void FillDeviceGrid();
    void FitToGrid();
};

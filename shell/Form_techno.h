#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Технологическая форма", the service window: raw FPGA ("Xilinx") and relay commands to the instrument,
// bit commands to the BC board's register over the register channel, the link's frame-start counter and
// the choice of the technological COM port that scenario pauses send their commands through. Commands need
// an open connection: without one every list, edit and button is disabled. It frees itself when closed.
class TForm_Tech : public QDialog {
    Q_OBJECT
public:
    // techPort: where the chosen port number lives (-1 none); it takes the choice when the window closes.
    explicit TForm_Tech(int *techPort, QWidget *owner = nullptr);

    QComboBox *CB_Port;
    QGroupBox *GroupBox_Xilinx;
    QComboBox *CB_Xilinx;
    QLineEdit *Edit_Xilinx;
    QPushButton *BitBtn_Xilinx;
    QLabel *Label3; // frame starts received
    QGroupBox *GroupBox_Relay;
    QComboBox *CB_Relay;
    QLineEdit *Edit_Relay;
    QPushButton *BitBtn_Relay;
    QGroupBox *GroupBox_I2C_BC;
    QComboBox *CB_I2C_BC;
    QLineEdit *Edit_I2C_BC;
    QPushButton *BitBtn_I2C_BC;

    // Enables the lists and edits while the link exists, each button while its list has an entry chosen.
    void RefreshTechControls();
    // The link's count of frame starts received.
    void ShowRecvSobCnt(uint32_t count);

public slots:
    void CB_XilinxChange();
    void CB_RelayChange();
    void CB_I2C_BCChange();
    void BitBtn_XilinxClick();
    void BitBtn_RelayClick();
    void BitBtn_I2C_BCClick();
    void CB_PortChange();
    void CB_PortDropDown();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FillPorts();
    void SendRaw(QComboBox *list, QLineEdit *edit, bool relay);

    int *techPort_;
};

#pragma once

#include <QWidget>

#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TZeltCSpinEdit;

// What the SYNC page asks of the settings window around it. An empty entry is a service this run does
// not have; the page then goes without it.
struct TSyncPageHost {
    // The spectrum size chosen on the Common page (not yet applied), as an index into SpectrumSizes;
    // without it the applied one.
    std::function<int()> SpectrumSizeChoice;
};

// The "SYNC" page of the settings window: the edge that starts or ends the registration with a delay
// per edge, a pulse count or continuous monitoring, the least pulse interval this allows, and Start and
// Stop of the SYNC run. The page's values reach DeviceSettings only at Start; Start's font shows the
// run's state.
class TSyncPage : public QWidget {
    Q_OBJECT
public:
    explicit TSyncPage(TSyncPageHost host, QWidget *parent = nullptr);

    // DeviceSettings -> the page (RefreshSyncPage).
    void RefreshSyncPage();
    // The page -> DeviceSettings (ApplySyncPage); only Start calls it.
    void ApplySyncPage();
    // Start's font colour from SyncGenState; Stop's is the plain one.
    void ShowSyncState();
    // The set-up panel only while no run is on, Stop only while one is.
    void ShowSyncControls();

    void Btn_SYNC_StartClick();
    void Btn_SYNC_StopClick();
    // Edge radio or delay edit of mode 0..3: while that mode is checked the least pulse interval is shown
    // with that delay; nothing is stored.
    void Edit_Sync_DelayChange(int mode);
    // Leaving a delay edit snaps it to 25 us; leaving the count rounds it.
    void Edit_Sync_Delay_1Exit(TZeltCSpinEdit *edit);
    void Edit_Sync_CountPulseExit();

    QGroupBox *Panel14;
    QRadioButton *RB_Sync_11, *RB_Sync_12, *RB_Sync_13, *RB_Sync_14;
    TZeltCSpinEdit *Edit_Sync_Delay_1, *Edit_Sync_Delay_2, *Edit_Sync_Delay_3, *Edit_Sync_Delay_4;
    QLineEdit *Edit_OSC1, *Edit_SYNC_dtmPulse;
    QRadioButton *RB_End, *RB_SYNC_Monitor;
    TZeltCSpinEdit *Edit_Sync_CountPulse;
    QPushButton *Btn_SYNC_Start, *Btn_SYNC_Stop;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildPage();
    void Connect();
    int SpectrumSizeChoice() const;
    // The edge radios and delay edits by edge mode 0..3.
    QRadioButton *EdgeRadio(int mode) const;
    TZeltCSpinEdit *DelayEdit(int mode) const;

    TSyncPageHost host_;
};

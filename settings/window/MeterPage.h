#pragma once

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class TImpedanceEntry;
class TZeltCSpinEdit;

// What the meter page asks of the settings window and the main window around it. An empty entry is a
// service this run does not have (a test, or one not built yet); the page then goes without it.
struct TMeterPageHost {
    // The main window's last mask folder: where the *.9wf dialog opens, and what it remembers.
    std::function<QString &()> DirMaskFile;
    // The open dialog for a *.9wf file in the folder; an empty text when it was cancelled.
    std::function<QString(const QString &folder)> ChooseWeightingFile;
    // TMainForm::ApplyBlockSize after the band, step or velocity changed.
    std::function<void(bool changed, bool force)> ApplyBlockSize;
    // The remote-link message with these codes (program steps and records for the peer).
    std::function<void(const std::vector<uint8_t> &codes)> SendRemoteMessage;
    // The selective page's calibration state after an apply.
    std::function<void()> ShowMirvakCalibration;
    // The spectrum size chosen on the Common page (not yet applied), as an index into SpectrumSizes;
    // without it the applied one.
    std::function<int()> SpectrumSizeChoice;
};

// The meter settings of the settings window: the "Измеритель" page itself, and the group that the window
// puts on its "Общие" page (MeterGroup: reference with its presets, impedance, maximum level and their
// apply button). The controls are an edited copy of DeviceSettings: Refresh takes the copy, the two
// "Установить" buttons write it back and send it.
class TMeterPage : public QWidget {
    Q_OBJECT
public:
    explicit TMeterPage(TMeterPageHost host, QWidget *parent = nullptr);
    ~TMeterPage() override;

    QGroupBox *MeterGroup() const { return meterGroup_; }

    // DeviceSettings -> controls (RefreshMeterPage).
    void Refresh();
    // Only the four band edits, or only the averaging interval, from DeviceSettings: a master run moves
    // these and leaves every other edit of the page as the user left it.
    void ShowBand();
    void ShowAveraging();
    // Recolours the two apply buttons: yellow while the controls differ from DeviceSettings, else lime.
    void CheckSetMeter();
    // Controls -> DeviceSettings (ApplyMeterPage); nothing unless the settings are idle.
    void Apply();

    // The page's buttons, as a click runs them.
    void SetParamClick();   // "Установить" of the page
    void M9SetParamClick(); // "Установить" of the Common page's meter group
    void RestartClick();    // "Рестарт"
    void OpenFileClick();
    void ClearFileClick();
    // The phasogram's reference must lie above the resolution of the chosen spectrum size; the window
    // calls it when that choice changes.
    void CheckPhasingReference();
    // The meter reference preset: measure is false when the refresh, not the user, chose the item.
    void MeterRefPresetChanged(bool measure);

    // The weighting characteristic being edited (not applied yet).
    const std::vector<float> &WeightingFreqs() const { return weightingFreqs_; }
    const std::vector<float> &WeightingValues() const { return weightingValues_; }

    // Controls named as the window's other pages and the tests reach them.
    TZeltCSpinEdit *Edit_M9_F0, *Edit_M9_F1, *Edit_M9_Fc, *Edit_M9_B;
    QComboBox *CB_M9_AFC, *CB_M9_GrDel;
    TZeltCSpinEdit *Edit_M9_A0, *Edit_M9_GrDel0;
    QLabel *Label20, *Label21;
    QLineEdit *Edit_FileName;
    QPushButton *Button_OpenFile, *Button_ClearFile;
    QCheckBox *CB_M9_PhasingOn;
    TZeltCSpinEdit *Edit_M9_Phasing, *Edit_M9_Lmin, *Edit_M9_SNR, *Edit_M9_SpectrStep, *Edit_M9_Tunit;
    QLineEdit *Edit_M9_Tavr;
    QToolButton *CSpinButton1Up, *CSpinButton1Down;
    QLineEdit *Edit_M9_VCable;
    QPushButton *Button_SetParam, *Button_Restart;
    // Common page, meter group.
    TZeltCSpinEdit *Edit_M9_Ref, *Edit_M9_Z;
    QComboBox *CB_M9_ref, *CB_Lmax_dBm;
    QCheckBox *CB_M9_Z_Hi, *CB_M9_Lmax_Auto;
    QPushButton *Button_M9_SetParam;
    // The Common page's read-only texts of the reflectometer pulse and the least phasogram reference,
    // which the refresh fills; the window around the page lends them (none: not shown).
    QLineEdit *Edit_RND_pulse = nullptr;
    QLineEdit *Edit_Phasing_minF = nullptr;

    // Read-only copies of meter settings that the masters' and the selective page's meter groups show
    // beside their own controls. Each page that shows one adds its edit; the page keeps them equal to
    // its own controls (a copy whose page has gone is skipped).
    struct TMirrors {
        std::vector<QPointer<QLineEdit>> Lmin, Afc, Lmax, Weighting, Averaging;
    } Mirrors;

protected:
    // Entering an edge or the centre and width of the band shows which pair the page follows.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildPage();
    void BuildMeterGroup();
    void Connect();
    void ApplyClick(QPushButton *button, bool measureReference);
    void ShowAfcKind(int item, double value);
    void ShowGvpKind(int item, double value);
    void ReferenceEdit(TZeltCSpinEdit &edit, QLabel &label, bool enabled, double value);
    void BandLeft(bool centre);
    void BandEntered(bool centre);
    void AveragingTextChanged();
    void StepAveraging(int delta);
    void SpectrumStepChanged();
    void SpectrumStepEntered();
    void VelocityEntered();
    void MeterRefChanged();
    void ImpedanceChanged();
    void ImpedanceLeft();
    void ShowFileName(const QString &path);
    void ShowLminMirrors();
    void ApplyMaxLevelChoices(int index);

    TMeterPageHost host_;
    QGroupBox *meterGroup_ = nullptr;
    TImpedanceEntry *impedance_ = nullptr;
    std::vector<float> weightingFreqs_, weightingValues_;
    QString weightingPath_;
    float velocityEntry_ = 0;
    double bandFcEntry_ = 0, bandBEntry_ = 0;
    bool refreshing_ = false;
};

#pragma once

#include "settings/SettingsWindowView.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QCloseEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QVBoxLayout;
class TImpedanceEntry;
class TMasterFreqPage;
class TMasterLevPage;
class TMeterPage;
class TShopMenu;
class TSyncPage;
class TZeltCSpinEdit;
class TForm_SetDev;
struct LevelLimit;

// The selective page lives above the settings folder: it puts itself into TabSheet_Mirvak through the
// factory that its folder registers at start, and the window reaches it through this interface.
class TSetDevMirvakPage {
public:
    virtual ~TSetDevMirvakPage() = default;
    virtual void ShowMirvak() = 0;
    virtual void RefreshMirvakState() = 0;
    virtual void ShowMirvakStartButton() = 0;
    virtual void ShowMirvakSelectionFreq() = 0;
    virtual void ShowMirvakCalibration() = 0;
    // The generator level's range from the generator's greatest level; the level is snapped and stored.
    virtual void ApplySinLevelLimit(const LevelLimit &limit) = 0;
};
// Builds the page inside `tab`; empty while the selective folder is not part of the program.
using TMirvakPageFactory = std::function<TSetDevMirvakPage *(TForm_SetDev &window, QWidget *tab)>;
TMirvakPageFactory &MirvakPageFactory();

// The instrument settings window "Настройки прибора": the connection and analysis mode, the generator,
// the meter, the masters, the selective mode and SYNC, one page each. It mirrors DeviceSettings: every
// page is filled from the record (RefreshAllPages) and written back only by its apply buttons and
// generator buttons. At most one exists; it registers itself as the settings window view while it lives.
class TForm_SetDev : public QWidget, public TSettingsWindowView {
    Q_OBJECT
public:
    explicit TForm_SetDev(QWidget *owner = nullptr);
    ~TForm_SetDev() override;

    // TSettingsWindowView
    void MarkLocalGenButton(int kind) override;
    void MarkRemoteGenButton(int kind) override;
    void RefreshGenButtons() override;
    void UpdateControlStates() override;
    void RefreshAllPages() override;
    void RefreshMeterPage() override;
    void ShowMeterBand() override;
    void ShowMeterAveraging() override;
    void ShowGeneratorStates() override;
    void ShowSyncState() override;
    void ShowMirvakStartButton() override;
    void UpdateRemoteButtons() override;

    // The meter page and the Common page's meter group, built as their own unit (TMeterPage): they go
    // into TabSheet_Meter and into the meter group's place on the Common page. The enabling table finds
    // their controls by object name.
    TMeterPage *MeterPage = nullptr;
    // The frequency and level master pages (TabSheet_MasterFreq, TabSheet_MasterLev).
    TMasterFreqPage *MasterFreqPage = nullptr;
    TMasterLevPage *MasterLevPage = nullptr;
    // The SYNC page, its own unit (TSyncPage) inside TabSheet_Sync.
    TSyncPage *SyncPage = nullptr;
    // PopupMenu_Shop, the pop-up menu of the preset lists and of PageControl1.
    TShopMenu *ShopMenu = nullptr;

    // A page became the active one: the master pages set the shared menu's items, the selective page
    // refreshes its state.
    void PageControl1Change();
    // The selective page, when its factory is registered.
    TSetDevMirvakPage *MirvakPage = nullptr;
    void RefreshMirvakState();
    // The selection frequency of the latest selective result; the evaluation calls it after each one.
    void ShowMirvakSelectionFreq();

    // The active page, kept under "PgCtrl1_APgIdx" in the window's R9.ini section.
    void FormStorage1RestorePlacement();
    void FormStorage1SavePlacement();

    void RefreshRemoteGroup();
    void RefreshGeneratorPage();
    void ShowConnectState();
    static void SetButtonStateColor(QPushButton *button, int state);

    // Common page: analysis mode.
    void CheckSetCommon();
    void Button_SetCommonParamClick();
    // "Установить соединение": this analyser pairs with the peer at the line's other end as the active side.
    void Button_CONNECTClick();
    // "Разорвать соединение", "Получить результаты", "Текстовые сообщения".
    void Button_CONNECT_OFFClick();
    void Button_GetResultClick();
    void Button_TextMsgClick();
    // The control multitone's level and band: stored at once while no link of this side is up, else only
    // marked (yellow label) until the next "Установить соединение"; F1 and F2 keep the least span apart.
    void Edit_CONNECT_LChange();
    void Edit_CONNECT_F1Change();
    void Edit_CONNECT_F2Change();
    // Leaving F1 or F2: the value goes onto the control step's grid, and so does the edit's spin step.
    void Edit_CONNECT_F1Enter();
    void Edit_CONNECT_F2Enter();
    // Enter: the edit's leaving while not connected, "Установить соединение" while connected.
    void Edit_CONNECT_LKeyDown();
    void Edit_CONNECT_F1KeyDown();
    void Edit_CONNECT_F2KeyDown();
    void ApplyCommonParams();

    // Generator page and the Common page's generator group.
    void Button_SINClick(QObject *sender);
    void Button_SIN2Click(QObject *sender);
    void Button_MTTSClick(QObject *sender);
    void Button_RNDClick(QObject *sender);
    void Button_NOISEClick(QObject *sender);
    void Button_BlockClick();
    // "уд.Блокировка": the peer's generator is blocked, whatever this analyser's own block state.
    void Button_Block_RClick();
    void Button_SetGenClick();
    void CheckSetGen();
    void CB_G9_refChange();
    void CB_G9_Z_LowClick();
    void Edit_G9_ZChange();
    void Edit_G9_ZEnter();
    // The level edits' ranges from the generator's greatest level into its load; each generator's values
    // are stored again under them.
    void ApplyGeneratorLevelLimits();
    void StoreSinFields();
    void StoreSin2Fields();
    void StoreMttsFields();
    void StoreRndFields();
    void StoreNoiseFields();
    void Edit_SIN_FEnter();
    void Edit_SIN2_F1Enter();
    void Edit_SIN2_F2Enter();
    void Edit_SIN2_F1Change();
    void Edit_SIN2_F2Change();
    void Edit_MTTS_F1Enter();
    void Edit_MTTS_NEnter();
    void Edit_MTTS_dFEnter();
    // Enter (key 13) in an edit of `kind`: re-applies the page to a running generator.
    void GeneratorEditKeyDown(int kind, TZeltCSpinEdit *edit);

    QTabWidget *PageControl1 = nullptr;
    QWidget *TabSheet_Common = nullptr;
    QWidget *TabSheet_Gen = nullptr;
    QWidget *TabSheet_Meter = nullptr;
    QWidget *TabSheet_MasterFreq = nullptr;
    QWidget *TabSheet_MasterLev = nullptr;
    QWidget *TabSheet_Mirvak = nullptr;
    QWidget *TabSheet_Sync = nullptr;
    uint8_t Refreshing = 0;

    // Remote control group.
    QGroupBox *GB_RemoteControl = nullptr;
    QPushButton *Button_CONNECT = nullptr;
    QPushButton *Button_CONNECT_OFF = nullptr;
    QPushButton *Button_GetResult = nullptr;
    QPushButton *Button_TextMsg = nullptr;
    QLabel *Label_CONNECT_L = nullptr, *Label_CONNECT_F1 = nullptr, *Label_CONNECT_F2 = nullptr;
    QComboBox *RG_B_Precision = nullptr;
    TZeltCSpinEdit *Edit_CONNECT_L = nullptr;
    TZeltCSpinEdit *Edit_CONNECT_F1 = nullptr;
    TZeltCSpinEdit *Edit_CONNECT_F2 = nullptr;

    // Analysis mode group and derived values.
    QRadioButton *RB_Rand = nullptr;
    QRadioButton *RB_Spectr = nullptr;
    QComboBox *CBox_Spectr = nullptr;
    QPushButton *Button_SetCommonParam = nullptr;
    QLineEdit *Edit_OSC = nullptr;
    QLineEdit *Edit_Phasing_minF = nullptr;
    QLineEdit *Edit_RND_pulse = nullptr;
    QGroupBox *GB_Meter = nullptr;

    // Generator group.
    TZeltCSpinEdit *Edit_G9_Ref = nullptr;
    QComboBox *CB_G9_ref = nullptr;
    TZeltCSpinEdit *Edit_G9_Z = nullptr;
    QCheckBox *CB_G9_Z_Low = nullptr;
    QPushButton *Button_SetGen = nullptr;

    // Generator page.
    QPushButton *Button_SIN = nullptr, *Button_SIN_R = nullptr;
    QPushButton *Button_SIN2 = nullptr, *Button_SIN2_R = nullptr;
    QPushButton *Button_MTTS = nullptr, *Button_MTTS_R = nullptr;
    QPushButton *Button_RND = nullptr, *Button_RND_R = nullptr;
    QPushButton *Button_NOISE = nullptr, *Button_NOISE_R = nullptr;
    QPushButton *Button_Block = nullptr, *Button_Block_R = nullptr;
    TZeltCSpinEdit *Edit_SIN_L = nullptr, *Edit_SIN_F = nullptr;
    TZeltCSpinEdit *Edit_SIN2_L = nullptr, *Edit_SIN2_F1 = nullptr, *Edit_SIN2_F2 = nullptr;
    TZeltCSpinEdit *Edit_MTTS_L = nullptr, *Edit_MTTS_F1 = nullptr, *Edit_MTTS_N = nullptr, *Edit_MTTS_dF = nullptr;
    QLineEdit *Edit_MTTS_FN = nullptr;
    TZeltCSpinEdit *Edit_RND_L = nullptr;
    TZeltCSpinEdit *Edit_NOISE_L = nullptr;
    QLabel *Label_SIN_L = nullptr, *Label_SIN_F = nullptr;
    QLabel *Label_SIN2_L = nullptr, *Label_SIN2_F1 = nullptr, *Label_SIN2_F2 = nullptr;
    QLabel *Label_MTTS_L = nullptr, *Label_MTTS_F1 = nullptr, *Label_MTTS_N = nullptr, *Label_MTTS_dF = nullptr;
    QLabel *Label_RND_L = nullptr, *Label_NOISE_L = nullptr;

signals:
    // The window was closed and is about to free itself.
    void Closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void BuildCommonPage();
    void BuildGeneratorPage();
    void BuildMeterPage();
    void BuildMasterPages();
    void BuildSyncPage();
    void BuildMirvakPage();
    QWidget *AddPage(const char *name, const QString &caption);
    void ConnectCommonPage();
    void ConnectRemoteGroup();
    void ControlEditReturn(const std::function<void()> &leave);
    void ControlToneChange(bool f1Changed);
    void SnapControlTone(TZeltCSpinEdit &edit);
    void StoreOrMarkControlEdits();
    void RefreshAnalysisMode();
    void ConnectGeneratorPage();

    void GeneratorButtonClick(int kind, bool remote);
    void StoreFields(int kind);
    void LevelChange(int kind);
    void MarkLabel(QLabel *label, int kind, bool differs);
    void SnapGridEdit(TZeltCSpinEdit *edit, float step);
    void ShowMttsLast();
    void FitMttsF1();
    // Level and frequency edits of the Generator page, for the enabling table.
    QList<QWidget *> GeneratorPageEdits() const;

    // The pages built with the masters, the selective mode and SYNC fill themselves here.
    void LoadMasterFreqPage();
    void LoadMasterLevPage();
    void ShowMirvak();
    void RefreshSyncPage();

    // The generator load's entry; its Memory is the impedance as last snapped (GenImpedanceEntry).
    std::unique_ptr<TImpedanceEntry> GenImpedanceInput;
    QVBoxLayout *MeterGroupLayout = nullptr;
    bool BlinkYellow[13] = {};
};

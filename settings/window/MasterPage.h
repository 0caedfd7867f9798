#pragma once

#include "settings/masters/MasterPageView.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;
class TPresetList;
class TZeltCSpinEdit;
struct MasterBlock;
struct TMasterRun;

// What a master page asks of the settings window around it.
struct TMasterPageHost {
    // The Generator page's SIN edits: the level limits, and the values a generator step shows.
    TZeltCSpinEdit *Edit_SIN_L = nullptr;
    TZeltCSpinEdit *Edit_SIN_F = nullptr;
    // True while RefreshAllPages fills the window: the page stores nothing then.
    std::function<bool()> Refreshing;
    // Whether a page is the page control's active one: that page decides the shared menu's items.
    std::function<bool(const QWidget *page)> IsActivePage;
};

// The control names of one master page.
struct TMasterPageNames {
    int Index;             // MasterFreqIndex or MasterLevIndex
    const char *Shop;      // "Freq": RB_ShopFreq, LB_ShopFreq, ...
    const char *Range[4];  // first, count, step and last value of the range
    const char *Order;     // the order group
    const char *Tag;       // "masterF": CB_SIN_masterF, Button_masterF_Start, ...
    const char *SinValue;  // the SIN value edit, and the read-only current value of the other quantity
    const char *SinCurrent;
    const char *SinValueCaption; // with their units
    const char *SinCurrentCaption;
    const char *OnTime;    // "FreqOnTime": CB_masterF_FreqOnTime, Edit_masterF_FreqOnTime
    const char *SpinButton;
    const char *OrderCaption;
    const char *OnTimeCaption;
    const char *NextCaption;
    const char *Meter;     // "MasterF": the meter settings' copies Edit_MasterF_Lmax, _Lmin and _AFC
};

// A master page of the settings window: the plan as a preset list or a range, the generator's SIN, the
// measuring band, the order and the timing, and the run's Start, Stop and Next. The frequency and the
// level master's pages differ only in the rules their subclasses give.
class TMasterPage : public QWidget, public TMasterPageView {
    Q_OBJECT
public:
    TMasterPage(const TMasterPageNames &names, TMasterPageHost host, QWidget *parent);
    ~TMasterPage() override;

    // DeviceSettings -> page (LoadMasterFreqPage, LoadMasterLevPage).
    void Load();
    // Page -> DeviceSettings (SetMasterFreq, SetMasterLev); nothing while the window is being filled.
    void Store();

    // Stepping by time is forced while this side's remote link is up, else the block's choice shows.
    void ShowTimingChoice();

    // TMasterPageView
    void RefreshState() override;
    void ShowState() override;
    void ShowGenStep() override;
    void ShowMeterStep() override;
    void ClearStepTexts() override;

    void StartClick();
    void StopClick();
    void NextClick();
    // The interval: typed (spaces read as zeros, raised to the size's minimum) and stepped by a second.
    void OnTimeChange();
    void SpinDownClick();
    void SpinUpClick();
    // The range edits: their change shows the last value; leaving them keeps that value in range.
    void RangeFirstEnter();
    void RangeNEnter();
    void RangeStepEnter();
    void FitStep();
    double RangeLast() const;

    QRadioButton *RB_Shop = nullptr, *RB_Range = nullptr;
    std::unique_ptr<TPresetList> ShopList;
    TZeltCSpinEdit *Edit_RangeFirst = nullptr, *Edit_RangeN = nullptr, *Edit_RangeStep = nullptr;
    QLineEdit *Edit_RangeLast = nullptr;
    QRadioButton *RB_Forward = nullptr, *RB_Reverse = nullptr;
    QButtonGroup *RB_Order = nullptr;
    QCheckBox *CB_SIN = nullptr, *CB_SIN_R = nullptr;
    TZeltCSpinEdit *Edit_SinValue = nullptr;
    QLineEdit *Edit_SinCurrent = nullptr;
    QRadioButton *RB_BandThin = nullptr, *RB_BandThick = nullptr;
    QLineEdit *Edit_Fc = nullptr;
    TZeltCSpinEdit *Edit_F0 = nullptr, *Edit_F1 = nullptr;
    // Read-only copies of the meter page's maximum level, Lmin and AFC reference, which it keeps up.
    QLineEdit *Edit_Lmax = nullptr, *Edit_Lmin = nullptr, *Edit_AFC = nullptr;
    QCheckBox *CB_OnTime = nullptr;
    QLineEdit *Edit_OnTime = nullptr;
    QToolButton *SpinUp = nullptr, *SpinDown = nullptr;
    QPushButton *Button_Start = nullptr, *Button_Stop = nullptr, *Button_Next = nullptr;

protected:
    MasterBlock &Block() const;
    const TMasterRun &Run() const;
    bool IsLevel() const;
    bool Refreshing() const;
    bool IsActivePage() const;
    int32_t MinInterval() const;
    // The largest value of the range's last position, and the rounding of the range's values.
    virtual double RangeMax() const = 0;
    virtual double RoundRangeValue(double value) const = 0;
    // The smallest step of the range.
    virtual double MinRangeStep() const = 0;
    virtual QString FormatRow(double value) const = 0;
    virtual double RowLow() const = 0;
    virtual double RowHigh() const = 0;
    // The page's own fields: SIN value and band edits from the block, and back.
    virtual void LoadOwnFields() = 0;
    virtual void StoreOwnFields() = 0;
    // The range edits' limits.
    virtual void LoadRangeLimits() = 0;
    virtual bool NextEnabled() const = 0;
    // The start of the run on this analyser, after the other master stopped.
    virtual void StartRun() = 0;
    virtual void StopRunIfRunning() = 0;
    virtual void StopOtherMaster() = 0;
    // The page's own field of the generator's current value.
    virtual void ShowGenValues() = 0;
    // The codes that start or stop the run at the peer.
    virtual std::vector<uint8_t> StartCodes() const = 0;
    virtual std::vector<uint8_t> StopCodes() const = 0;
    // The band derived from the plan (frequency master) follows a change of the plan.
    virtual void PlanChanged() {}
    void ShowRangeLast(bool rounded);
    void SelectPlanRow(int32_t position);

    TMasterPageHost host_;

private:
    void Build(const TMasterPageNames &names);
    void LoadList();
    void StoreList();
    void SetOnTime(int32_t seconds);
    int index_;
    // The groups locked while a run is active: the plan cannot change during a run.
    std::vector<QWidget *> lockedInRun_;
};

#pragma once

#include "settings/window/MasterPage.h"

struct LevelLimit;

// The page "Мастер частоты": the frequency master's plan of frequencies, the local and the peer's SIN at
// one level, the narrow band or the wide band derived from the plan, and the run.
class TMasterFreqPage : public TMasterPage {
    Q_OBJECT
public:
    TMasterFreqPage(TMasterPageHost host, QWidget *parent);

    // The span of the plan as the page shows it, widened by one smallest step on either side and kept
    // within the frequency range (GetMasterFreqPageBand); UpdateMasterFreqWideBand stores and shows it.
    void GetMasterFreqPageBand(double &lo, double &hi);
    void UpdateMasterFreqWideBand();
    // Leaving the SIN level snaps it to the level's code grid and stores the page.
    void Edit_SIN_masterF_LEnter();
    // The SIN level's range from the generator's greatest level: the level is clamped into it, snapped
    // and stored, so that the next run cannot send a level the generator no longer gives.
    void ApplySinLevelLimit(const LevelLimit &limit);

protected:
    double RangeMax() const override;
    double RoundRangeValue(double value) const override;
    double MinRangeStep() const override;
    QString FormatRow(double value) const override;
    double RowLow() const override;
    double RowHigh() const override;
    void LoadOwnFields() override;
    void StoreOwnFields() override;
    void LoadRangeLimits() override;
    bool NextEnabled() const override;
    void StartRun() override;
    void StopRunIfRunning() override;
    void StopOtherMaster() override;
    void ShowGenValues() override;
    std::vector<uint8_t> StartCodes() const override;
    std::vector<uint8_t> StopCodes() const override;
    void PlanChanged() override;
};

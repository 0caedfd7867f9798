#pragma once

#include "settings/window/MasterPage.h"

// The page "Мастер уровня": the level master's plan of levels, the SIN at one frequency, the narrow band
// around it or a wide band typed by the user, and the run.
class TMasterLevPage : public TMasterPage {
    Q_OBJECT
public:
    TMasterLevPage(TMasterPageHost host, QWidget *parent);

    // Leaving the SIN frequency puts it on the generator's grid (random-event counting) or on a frequency
    // the generator produces (precision analysis), and stores the page.
    void Edit_SIN_masterL_FEnter();

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
};

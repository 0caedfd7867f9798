#pragma once

#include "link/connection/Tr9sendgetcommand.h"

#include <QString>

// A main window whose Pause is down: every command stays pending in DeviceSettings->Mode, so that a
// settings test reads the raised bits instead of an instrument's answer.
class PausedView : public TConnectionView {
public:
    void SetCounterPanel(const QString &, const QString &) override {}
    void SetGeneratorSummary(const QString &, int) override {}
    void SetMeterSummary(const QString &) override {}
    void SetOverloadText(const QString &) override {}
    bool PauseDown() const override { return true; }
};

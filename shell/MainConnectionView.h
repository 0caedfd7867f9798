#pragma once

#include "link/connection/Tr9sendgetcommand.h"

class TMainForm;

// What the connection shows, on the main window's controls: the link counter panels (found by object
// name; a panel the window lacks shows nothing), the generator and meter summary buttons, status panel 3
// and the Pause button.
class TMainConnectionView : public TConnectionView {
public:
    explicit TMainConnectionView(TMainForm &form) : form_(form) {}

    void SetCounterPanel(const QString &panelName, const QString &text) override;
    void SetGeneratorSummary(const QString &caption, int image) override;
    void SetMeterSummary(const QString &caption) override;
    void SetOverloadText(const QString &text) override;
    bool PauseDown() const override;
    void Beep() override;

private:
    TMainForm &form_;
};

// Creates the main window's view and registers it with the connection; it is unregistered and deleted
// with the window.
void InstallMainConnectionView(TMainForm &form);

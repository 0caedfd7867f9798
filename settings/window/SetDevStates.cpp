#include "settings/window/Form_SetDev.h"

#include "settings/GeneratorStates.h"
#include "settings/masters/MasterPageView.h"
#include "settings/window/SetDevControlStates.h"
#include "settings/window/SetDevGeneratorTable.h"
#include "settings/window/ImpedanceEntry.h"
#include "settings/window/MasterFreqPage.h"
#include "settings/window/MasterLevPage.h"
#include "settings/window/SetDevWidgets.h"
#include "settings/window/SyncPage.h"
#include "state/DeviceSettings.h"
#include "state/GeneratorKind.h"

#include <QColor>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

struct StateColour {
    int state;
    QColor colour;
};

const StateColour StateColours[] = {
    {1, QColor(255, 255, 0)}, {2, QColor(50, 205, 50)}, {3, QColor(128, 0, 0)}, {-1, QColor(255, 0, 0)}};

const QColor StartedColour(255, 255, 0);

// The peer's buttons in the order that their marking walks them.
constexpr int RemoteOrder[] = {GenKindSin, GenKindSin2, GenKindMtts, GenKindRnd, GenKindBlock, GenKindNoise};

} // namespace

void TForm_SetDev::SetButtonStateColor(QPushButton *button, int state) {
    QColor colour;
    for (const StateColour &c : StateColours)
        if (c.state == state)
            colour = c.colour;
    SetTextColor(button, colour);
}

void TForm_SetDev::MarkLocalGenButton(int kind) {
    for (const TGeneratorPageKind &k : GeneratorPageKinds()) {
        if (k.Kind != kind && LocalGenState(k.Kind) != 0)
            SetLocalGenState(k.Kind, 0);
        SetButtonStateColor(this->*k.Local, LocalGenState(k.Kind));
    }
}

void TForm_SetDev::MarkRemoteGenButton(int kind) {
    for (int k : RemoteOrder) {
        if (k != kind && RemoteGenStateOf(k) != 0)
            SetRemoteGenState(k, 0);
        SetButtonStateColor(this->*GeneratorPageKind(k)->Remote, RemoteGenStateOf(k));
    }
}

void TForm_SetDev::RefreshGenButtons() {
    // Every button first shows its own state, a failed start (-1) included.
    for (const TGeneratorPageKind &k : GeneratorPageKinds()) {
        SetButtonStateColor(this->*k.Local, LocalGenState(k.Kind));
        SetButtonStateColor(this->*k.Remote, RemoteGenStateOf(k.Kind));
    }
    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        if (LocalGenState(k.Kind) > 0)
            MarkLocalGenButton(k.Kind);
    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        if (RemoteGenStateOf(k.Kind) > 0)
            MarkRemoteGenButton(k.Kind);
    ShowConnectState();
    UpdateRemoteButtons();
}

void TForm_SetDev::ShowConnectState() {
    SetButtonStateColor(Button_CONNECT, DeviceSettings->ConnectState);
}

void TForm_SetDev::ShowGeneratorStates() {
    struct Shown {
        QPushButton *button;
        int state;
    };
    std::vector<Shown> buttons;
    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        buttons.push_back({this->*k.Local, LocalGenState(k.Kind)});
    for (const TGeneratorPageKind &k : GeneratorPageKinds())
        buttons.push_back({this->*k.Remote, RemoteGenStateOf(k.Kind)});
    buttons.push_back({Button_CONNECT, DeviceSettings->ConnectState});
    for (const Shown &b : buttons) {
        if (b.state == 0)
            SetTextColor(b.button, QColor());
        else if (b.state == 1)
            SetTextColor(b.button, TextColor(b.button) == StartedColour ? QColor() : StartedColour);
    }
}

void TForm_SetDev::UpdateControlStates() {
    TControlStateInputs in = CurrentControlStateInputs();
    in.GenRefItem = CB_G9_ref->currentIndex();
    if (auto *meterRef = findChild<QComboBox *>(QStringLiteral("CB_M9_ref")))
        in.MeterRefItem = meterRef->currentIndex();
    ForEachControlState(in, [this](const char *name, bool enabled) {
        QWidget *w = findChild<QWidget *>(QLatin1String(name));
        // Every name of the table is a control of this window: a missing one is a fault of the window.
        Q_ASSERT_X(w, "UpdateControlStates", name);
        if (w)
            w->setEnabled(enabled);
    });
    const QSignalBlocker rand(RB_Rand);
    const QSignalBlocker spectr(RB_Spectr);
    RB_Rand->setChecked(DeviceSettings->EventCounting != 0);
    RB_Spectr->setChecked(DeviceSettings->EventCounting == 0);
    // The connection type fixes some impedances; the meter's controls are on the meter page's unit.
    QWidget noMeterBox;
    QWidget noMeterEdit;
    QWidget *meterBox = findChild<QWidget *>(QStringLiteral("CB_M9_Z_Hi"));
    QWidget *meterEdit = findChild<QWidget *>(QStringLiteral("Edit_M9_Z"));
    DisableImpedanceControls(*CB_G9_Z_Low, meterBox ? *meterBox : noMeterBox, *Edit_G9_Z,
                             meterEdit ? *meterEdit : noMeterEdit);
    MasterFreqPage->ShowTimingChoice();
    MasterLevPage->ShowTimingChoice();
    RefreshMasterFreqState();
    RefreshMasterLevState();
    RefreshMirvakState();
    SyncPage->ShowSyncControls();
}

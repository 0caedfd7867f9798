#include "settings/SettingsWindowButtons.h"

#include "settings/SettingsWindowView.h"
#include "settings/masters/MasterPageView.h"

namespace {

template <typename Call>
void WithWindow(Call call) {
    if (TSettingsWindowView *view = SettingsWindowView())
        call(*view);
}

} // namespace

void MarkLocalGenButton(int kind) {
    WithWindow([kind](TSettingsWindowView &w) { w.MarkLocalGenButton(kind); });
}

void MarkRemoteGenButton(int kind) {
    WithWindow([kind](TSettingsWindowView &w) { w.MarkRemoteGenButton(kind); });
}

void RefreshGenButtons() {
    WithWindow([](TSettingsWindowView &w) { w.RefreshGenButtons(); });
}

void UpdateControlStates() {
    WithWindow([](TSettingsWindowView &w) { w.UpdateControlStates(); });
}

void RefreshAllPages() {
    WithWindow([](TSettingsWindowView &w) { w.RefreshAllPages(); });
}

void RefreshMeterPage() {
    WithWindow([](TSettingsWindowView &w) { w.RefreshMeterPage(); });
}

void ShowMeterBand() {
    WithWindow([](TSettingsWindowView &w) { w.ShowMeterBand(); });
}

void ShowMeterAveraging() {
    WithWindow([](TSettingsWindowView &w) { w.ShowMeterAveraging(); });
}

void ShowGeneratorStates() {
    WithWindow([](TSettingsWindowView &w) { w.ShowGeneratorStates(); });
}

void ShowMasterFreqState() {
    if (TMasterPageView *view = MasterPageView(MasterFreqIndex))
        view->ShowState();
}

void ShowMasterLevState() {
    if (TMasterPageView *view = MasterPageView(MasterLevIndex))
        view->ShowState();
}

void ShowMirvakStartButton() {
    WithWindow([](TSettingsWindowView &w) { w.ShowMirvakStartButton(); });
}

void ShowSyncState() {
    WithWindow([](TSettingsWindowView &w) { w.ShowSyncState(); });
}

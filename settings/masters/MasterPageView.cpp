#include "settings/masters/MasterPageView.h"

namespace {

TMasterPageView *Views[2] = {};

template <typename Call> void WithView(int master, Call call) {
    if (TMasterPageView *view = MasterPageView(master))
        call(*view);
}

} // namespace

void SetMasterPageView(int master, TMasterPageView *view) {
    if (master == MasterFreqIndex || master == MasterLevIndex)
        Views[master] = view;
}

TMasterPageView *MasterPageView(int master) {
    return master == MasterFreqIndex || master == MasterLevIndex ? Views[master] : nullptr;
}

void RefreshMasterFreqState() {
    WithView(MasterFreqIndex, [](TMasterPageView &v) { v.RefreshState(); });
}

void ShowMasterFreqGenStep() {
    WithView(MasterFreqIndex, [](TMasterPageView &v) { v.ShowGenStep(); });
}

void ShowMasterFreqMeterStep() {
    WithView(MasterFreqIndex, [](TMasterPageView &v) { v.ShowMeterStep(); });
}

void RefreshMasterLevState() {
    WithView(MasterLevIndex, [](TMasterPageView &v) { v.RefreshState(); });
}

void ShowMasterLevGenStep() {
    WithView(MasterLevIndex, [](TMasterPageView &v) { v.ShowGenStep(); });
}

void ShowMasterLevMeterStep() {
    WithView(MasterLevIndex, [](TMasterPageView &v) { v.ShowMeterStep(); });
}

#include "settings/SettingsWindowView.h"

namespace {

TSettingsWindowView *OpenWindow = nullptr;

} // namespace

void SetSettingsWindowView(TSettingsWindowView *view) {
    OpenWindow = view;
}

TSettingsWindowView *SettingsWindowView() {
    return OpenWindow;
}

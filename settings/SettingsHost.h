#pragma once

#include <QString>

#include <functional>

// What the settings window and its commands ask of the main window, which registers these at start. An
// empty entry (tests of the window alone) is skipped.
struct TSettingsHost {
    // TMainForm::ApplyBlockSize: the block size, its steps and the windows that follow it.
    std::function<void(bool changed, bool force)> ApplyBlockSize;
    // TMainForm::ReopenInstrument: closes and reopens the link, here to leave the selective firmware.
    std::function<bool()> ReopenInstrument;
    // The main window's R9.ini, where the window keeps its active page.
    std::function<QString()> IniFileName;
    // The main window's last mask folder, where the weighting-file dialog opens and which it updates.
    std::function<QString &()> DirMaskFile;
    // The peer's result table (the second result window), when open, shows the peer's results again.
    std::function<void()> RefreshRemoteResultTable;
};

TSettingsHost &SettingsHost();

#pragma once

#include <QString>

#include <functional>

class QWidget;

// What the parameter windows and the result tables take from the main window, which fills it at start.
// Empty members (tests, a window without a main window) do nothing and answer no.
struct TParamWindowHost {
    // The window's Window-menu item takes its new caption.
    std::function<void(QWidget *window)> UpdateWindowMenuCaption;
    // Opens (or raises) the graph window of a kind and marks it in the graph menus.
    std::function<void(int graphKind)> ShowGraphWindow;
    // Opens (or raises) the parameter window of table index 0..6.
    std::function<QWidget *(int index)> ShowMeasParWindow;
    // The open graph window of a kind re-binds its mask of one side (0 upper, 1 lower); false when no such
    // window is open.
    std::function<bool(int graphKind, int side)> RebindGraphMasks;
    // True while a scenario runs.
    std::function<bool()> ScenarioRunning;
    // Whether playback applies the settings stored in the recording. The program settings record that
    // holds this switch does not exist yet; while nothing registers it the switch counts as on, its
    // default.
    std::function<bool()> UseRecordedSettings;
    // The selective results kept while the masks were being changed are processed.
    std::function<void()> ReplaySstResults;
};
extern TParamWindowHost ParamWindowHost;

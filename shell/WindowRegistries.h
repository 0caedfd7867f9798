#pragma once

#include "views/Form_parambase.h"
#include "views/Form_parammeter.h"
#include "views/Scalelabel.h"

#include <QPointer>
#include <QWidget>

#include <array>

class TForm_Graphic;

// The windows that exist in several instances, one registry slot each (the registries of the value windows,
// the parameter windows and the result tables, ScaleLabelWindows, MeasParWindows and BaseParWindows, are
// their own units'); a slot is empty exactly while
// its window does not exist (the pointers clear themselves when a window is destroyed).
inline constexpr int GraphWindowCount = 39;       // graph kind 0..38
inline constexpr int TimeDiagramWindowCount = 13; // unit code 0..12

extern std::array<QPointer<QWidget>, GraphWindowCount> GraphWindows;
// The graph window of a kind while it is open; null for a closed one and for a kind out of range.
TForm_Graphic *OpenGraphWindow(int kind);
extern std::array<QPointer<QWidget>, TimeDiagramWindowCount> TimeDiagramWindows;

// Single windows behind one pointer each (the about box and the documentation index keep theirs in
// their own units).
extern QPointer<QWidget> Form_SetDev;   // Tag 101
extern QPointer<QWidget> Form_MaskEdit; // 102
extern QPointer<QWidget> Form_Settings; // 103
extern QPointer<QWidget> Form_Scenario; // 104
extern QPointer<QWidget> Form_Txt;      // 105
extern QPointer<QWidget> Form_Power;    // 106
extern QPointer<QWidget> DeviceForm;
extern QPointer<QWidget> Form_Tech;

// The WindowTag of each registry: base + index.
enum WindowTagBase : int {
    GraphTagBase = 1,
    MeasParTagBase = 51,
    BaseParTagBase = 61,
    ScaleLabelTagBase = ScaleLabelFirstTag,
    TimeDiagramTagBase = 201,
};

enum SingleWindowTag : int {
    SetDevTag = 101,
    MaskEditTag = 102,
    SettingsTag = 103,
    ScenarioTag = 104,
    TxtTag = 105,
    PowerTag = 106,
};

// The registry slot that a window with this Tag occupies; null for a Tag that names no slot.
QPointer<QWidget> *WindowSlotByTag(int tag);
// The window with this Tag, when it exists.
QWidget *WindowByTag(int tag);

// A window's Tag, kept as its "Tag" property.
int WindowTag(const QObject *window);
void SetWindowTag(QObject *window, int tag);

#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class TCustomIniFile;
class TMemIniFile;

// Which windows are open and what each keeps in its R9.ini section travel with a configuration: saving
// copies each window's section of R9.ini into the configuration with "Visible" added; loading copies the
// configuration's sections back into R9.ini (without the screen-dependent geometry keys) and opens,
// re-places or closes the windows to match.

// The windows whose sections a configuration carries, in the order they are written and read; the main
// window's section only tells which child was in front.
enum class ConfigWindowKind {
    ResultTable,
    ParamWindow,
    SettingsWindow,
    ProgramSettings,
    Graph,
    TextWindow,
    TimeDiagram,
    Main
};

struct TConfigWindow {
    ConfigWindowKind Kind;
    int32_t Index; // the registry slot; 0 for a single window
};

// What a value window stores of itself: its caption and, for a window of a graph point, the binding of
// that point (a window of a parameter row keeps -1, 0, -1, 0).
struct TTextWindowEntry {
    QString Caption;
    int16_t IndexNorm = -1;    // the point's verdict in the verdict array; bit 15 set: none
    int16_t IndexValue = 0;    // the point
    int16_t FormIndexPar = -1; // the graph kind of the curve
    int16_t IndexMask = 0;     // the mask slot of the verdicts
    bool RowWindow = false;    // bound to a parameter row (through the row's text-window switch)
};

// The windows themselves live above storage; the main window registers this at start.
class TConfigWindowHost {
public:
    virtual ~TConfigWindowHost() = default;
    virtual QString IniFileName() = 0; // R9.ini
    // The R9.ini section of a window, also its section in configurations.
    virtual QString SectionName(TConfigWindow window) = 0;
    virtual bool IsOpen(TConfigWindow window) = 0;
    // An open window's placement store writes its placement and stored properties into R9.ini.
    virtual void SavePlacement(TConfigWindow window) = 0;
    // An open window reads them back from R9.ini and shows itself in its stored state.
    virtual void Replace(TConfigWindow window) = 0;
    // Opens the window, which takes its placement from R9.ini.
    virtual void Create(TConfigWindow window) = 0;
    virtual void Close(TConfigWindow window) = 0;
    // The open value window of a slot, none when the slot is empty.
    virtual std::optional<TTextWindowEntry> TextWindow(int32_t slot) = 0;
    // Opens (or raises) the value window of a graph point.
    virtual void OpenPointValueWindow(const TTextWindowEntry &entry) = 0;
    // Brings forward every child window whose Tag is this.
    virtual void BringForward(int32_t tag) = 0;
    // Lets the windows opened and closed so far settle.
    virtual void ProcessMessages() = 0;
    // Arranges the open child windows.
    virtual void Cascade() = 0;
    virtual void Tile(bool vertical) = 0;
    // A parameter row's value window and time series follow its switches again (table index 0..6).
    virtual void ReapplyRowSettings(int32_t tableIndex, int32_t row) = 0;
    // The open program-settings dialog and playback bar show the program settings anew.
    virtual void RefreshProgramSettingsViews() = 0;
};
void SetConfigWindowHost(TConfigWindowHost *host);
// The registered host, or null (no windows: the sections are neither written nor read).
TConfigWindowHost *ConfigWindowHost();

inline constexpr int32_t ConfigValueWindowCount = 10;

// After a load (legacy or INI): the program-settings dialog and the playback bar, when open, show the
// options read.
void RefreshProgramSettingsViews();

// The shared step of configuration and legacy layout loading: an open window is re-placed from R9.ini and
// closed when visible is 0; a missing one is opened when visible is not 0, except a value window, which
// has no opener of its own here.
void ShowOrCloseWindow(TConfigWindow window, int visible);

// Saving: copies the window's R9.ini section (saved first when the window is open) into the
// configuration with "Visible"; false when R9.ini has no such section (a window never opened here).
bool CopyPlacementToConfig(TConfigWindow window, const QString &section, TCustomIniFile &ini);
// Loading: replaces the non-geometry keys of R9.ini's section by the configuration's, removes the
// geometry keys there and writes R9.ini; false when the configuration has no such section.
bool TransferWindowSection(const QString &section, TCustomIniFile &ini, int &visible);

void WriteWindowSections(TCustomIniFile &ini);
void RestoreWindowSections(TCustomIniFile &ini);
void WriteTextWindows(TCustomIniFile &ini);
// The sections it transferred into R9.ini.
QStringList ReadTextWindows(TCustomIniFile &ini);
void RestoreActiveChild(TCustomIniFile &ini);

// A key of the placement store that holds screen-dependent geometry ("NormPos(1280x1024)", "PixelsPerInch").
bool IsGeometryKey(const QString &key);
// Writes the whole file; a failure goes to the debug log (the windows then keep their placement).
void UpdateIniFile(TMemIniFile &ini);
// Removes those keys from a section of R9.ini.
void RemoveGeometryKeys(TCustomIniFile &r9ini, const QString &section);

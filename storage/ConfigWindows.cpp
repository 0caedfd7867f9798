#include "storage/ConfigWindows.h"

#include "chartlib/Chartlib.h"
#include "platform/IniFile.h"

#include <algorithm>
#include <array>

namespace {

TConfigWindowHost *Host = nullptr;

struct WindowGroup {
    ConfigWindowKind Kind;
    int32_t Count;
    bool ClosedWithoutSection; // a registry window that a configuration without its section closes
};

// The registry windows in the order of writing and reading; the value windows follow the graph windows
// when writing and come last when reading, the main window ends the writing.
constexpr std::array<WindowGroup, 6> WindowGroups{{
    {ConfigWindowKind::ResultTable, 2, true},
    {ConfigWindowKind::ParamWindow, 7, true},
    {ConfigWindowKind::SettingsWindow, 1, false},
    {ConfigWindowKind::ProgramSettings, 1, false},
    {ConfigWindowKind::Graph, 39, true},
    {ConfigWindowKind::TimeDiagram, 13, true},
}};

const QString VisibleKey = QStringLiteral("Visible");
const QString TextWindowSection = QStringLiteral("Текстовые окна");
const QString TextWindowCountKey = QStringLiteral("Всего окон");
const QString ActiveChildKey = QStringLiteral("ActiveMDIChild_Tag");

QString TextWindowKey(int k, const char *name) {
    return QStringLiteral("№") + QString::number(k) + QLatin1Char(' ') + QLatin1String(name);
}

template <typename Visit> void ForEachRegistryWindow(ConfigWindowKind upTo, Visit visit) {
    for (const WindowGroup &group : WindowGroups) {
        if (group.Kind == upTo)
            return;
        for (int32_t i = 0; i < group.Count; ++i)
            visit(TConfigWindow{group.Kind, i}, group.ClosedWithoutSection);
    }
}

// Each registry window up to (not including) `upTo`, then the rest from it.
template <typename Visit> void ForEachRegistryWindowFrom(ConfigWindowKind from, Visit visit) {
    bool reached = false;
    for (const WindowGroup &group : WindowGroups) {
        reached = reached || group.Kind == from;
        if (reached)
            for (int32_t i = 0; i < group.Count; ++i)
                visit(TConfigWindow{group.Kind, i}, group.ClosedWithoutSection);
    }
}

int16_t ToInt16(int value) {
    return int16_t(std::clamp(value, -32768, 32767));
}

void CopyWindowSection(TConfigWindow window, TCustomIniFile &ini) {
    CopyPlacementToConfig(window, Host->SectionName(window), ini);
}

} // namespace

void SetConfigWindowHost(TConfigWindowHost *host) {
    Host = host;
}

TConfigWindowHost *ConfigWindowHost() {
    return Host;
}

void UpdateIniFile(TMemIniFile &ini) {
    try {
        ini.UpdateFile();
    } catch (const EIniFileException &e) {
        DebugLog(QString::fromUtf8(e.what()));
    }
}

bool IsGeometryKey(const QString &key) {
    return key.contains(QLatin1String("MinMaxPos("), Qt::CaseInsensitive) ||
           key.contains(QLatin1String("NormPos("), Qt::CaseInsensitive) ||
           key.contains(QLatin1String("PixelsPerInch"), Qt::CaseInsensitive);
}

void RemoveGeometryKeys(TCustomIniFile &r9ini, const QString &section) {
    for (const QString &key : r9ini.ReadSection(section))
        if (IsGeometryKey(key))
            r9ini.DeleteKey(section, key);
}

void RefreshProgramSettingsViews() {
    if (Host)
        Host->RefreshProgramSettingsViews();
}

void ShowOrCloseWindow(TConfigWindow window, int visible) {
    if (!Host)
        return;
    if (Host->IsOpen(window)) {
        Host->Replace(window);
        if (visible == 0)
            Host->Close(window);
    } else if (visible != 0 && window.Kind != ConfigWindowKind::TextWindow) {
        Host->Create(window);
    }
}

bool CopyPlacementToConfig(TConfigWindow window, const QString &section, TCustomIniFile &ini) {
    if (!Host)
        return false;
    int visible = 0;
    if (Host->IsOpen(window)) {
        Host->SavePlacement(window);
        visible = 1;
    }
    TMemIniFile r9ini(Host->IniFileName());
    if (!r9ini.SectionExists(section))
        return false;
    for (const QString &line : r9ini.ReadSectionValues(section)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        ini.WriteString(section, line.left(equals), line.mid(equals + 1));
    }
    ini.WriteInteger(section, VisibleKey, visible);
    return true;
}

// The configuration's keys of a section replace R9.ini's, whose geometry keys go.
void ApplyConfigSection(TCustomIniFile &r9ini, const QString &section, TCustomIniFile &ini) {
    RemoveGeometryKeys(r9ini, section);
    for (const QString &line : ini.ReadSectionValues(section)) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString key = line.left(equals);
        if (!IsGeometryKey(key))
            r9ini.WriteString(section, key, line.mid(equals + 1));
    }
}

// R9.ini is read anew for every section: the windows write their own sections into it between two
// transfers, and a copy read once would write those back.
bool TransferWindowSection(const QString &section, TCustomIniFile &ini, int &visible) {
    if (!Host || !ini.SectionExists(section))
        return false;
    TMemIniFile r9ini(Host->IniFileName());
    visible = ini.ReadInteger(section, VisibleKey, 0);
    ApplyConfigSection(r9ini, section, ini);
    UpdateIniFile(r9ini);
    return true;
}

void WriteWindowSections(TCustomIniFile &ini) {
    if (!Host)
        return;
    ForEachRegistryWindow(ConfigWindowKind::TimeDiagram,
                          [&](TConfigWindow window, bool) { CopyWindowSection(window, ini); });
    WriteTextWindows(ini);
    ForEachRegistryWindowFrom(ConfigWindowKind::TimeDiagram,
                              [&](TConfigWindow window, bool) { CopyWindowSection(window, ini); });
    CopyWindowSection({ConfigWindowKind::Main, 0}, ini);
}

void WriteTextWindows(TCustomIniFile &ini) {
    if (!Host)
        return;
    int k = 0;
    for (int32_t slot = 0; slot < ConfigValueWindowCount; ++slot) {
        const std::optional<TTextWindowEntry> entry = Host->TextWindow(slot);
        if (!entry)
            continue;
        ++k;
        ini.WriteString(TextWindowSection, TextWindowKey(k, "Caption"), entry->Caption);
        ini.WriteInteger(TextWindowSection, TextWindowKey(k, "IndexNorm"), entry->IndexNorm);
        ini.WriteInteger(TextWindowSection, TextWindowKey(k, "IndexValue"), entry->IndexValue);
        ini.WriteInteger(TextWindowSection, TextWindowKey(k, "FormIndexPar"), entry->FormIndexPar);
        ini.WriteInteger(TextWindowSection, TextWindowKey(k, "IndexMask"), entry->IndexMask);
        CopyPlacementToConfig({ConfigWindowKind::TextWindow, slot}, entry->Caption, ini);
    }
    ini.WriteInteger(TextWindowSection, TextWindowCountKey, k);
}

void RestoreWindowSections(TCustomIniFile &ini) {
    if (!Host)
        return;
    QStringList transferred;
    ForEachRegistryWindowFrom(ConfigWindowKind::ResultTable, [&](TConfigWindow window, bool closedWithoutSection) {
        int visible = 0;
        const QString section = Host->SectionName(window);
        if (TransferWindowSection(section, ini, visible)) {
            transferred << section;
            ShowOrCloseWindow(window, visible);
        } else if (closedWithoutSection && Host->IsOpen(window)) {
            Host->Close(window);
        }
    });
    transferred << ReadTextWindows(ini);
    RestoreActiveChild(ini);
    // A window closed above saved its placement on the way out; the sections stay as the configuration
    // has them, so that the window opens there next time.
    TMemIniFile r9ini(Host->IniFileName());
    for (const QString &section : transferred)
        ApplyConfigSection(r9ini, section, ini);
    UpdateIniFile(r9ini);
}

QStringList ReadTextWindows(TCustomIniFile &ini) {
    QStringList transferred;
    if (!Host)
        return transferred;
    // More entries than windows can be open come from a damaged file.
    const int count = std::clamp(ini.ReadInteger(TextWindowSection, TextWindowCountKey, 0), 0, ConfigValueWindowCount);
    for (int k = 1; k <= count; ++k) {
        TTextWindowEntry entry;
        entry.Caption = ini.ReadString(TextWindowSection, TextWindowKey(k, "Caption"), QString());
        entry.IndexNorm = ToInt16(ini.ReadInteger(TextWindowSection, TextWindowKey(k, "IndexNorm"), -1));
        entry.IndexValue = ToInt16(ini.ReadInteger(TextWindowSection, TextWindowKey(k, "IndexValue"), -1));
        entry.FormIndexPar = ToInt16(ini.ReadInteger(TextWindowSection, TextWindowKey(k, "FormIndexPar"), -1));
        entry.IndexMask = ToInt16(ini.ReadInteger(TextWindowSection, TextWindowKey(k, "IndexMask"), -1));
        int visible = 0;
        if (!TransferWindowSection(entry.Caption, ini, visible))
            continue;
        transferred << entry.Caption;
        // A parameter row's window stores IndexValue 0 with no graph kind: it is bound to no point.
        if (entry.IndexValue >= 0 && entry.FormIndexPar >= 0)
            Host->OpenPointValueWindow(entry);
        for (int32_t slot = 0; slot < ConfigValueWindowCount; ++slot) {
            const std::optional<TTextWindowEntry> open = Host->TextWindow(slot);
            if (open && open->Caption == entry.Caption)
                ShowOrCloseWindow({ConfigWindowKind::TextWindow, slot}, visible);
        }
    }
    return transferred;
}

void RestoreActiveChild(TCustomIniFile &ini) {
    if (!Host)
        return;
    const int tag = ini.ReadInteger(Host->SectionName({ConfigWindowKind::Main, 0}), ActiveChildKey, 0);
    if (tag != 0)
        Host->BringForward(tag);
}

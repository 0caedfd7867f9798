#include "shell/Main.h"

#include "chartlib/Chartlib.h"
#include "platform/IniFile.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/MainGlobals.h"
#include "storage/MainCaption.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QToolBar>

namespace {

QString IndexedKey(const char *stem, int i) {
    return QLatin1String(stem) + '[' + QString::number(i) + ']';
}

// Folders come back as stored: '\' separators and no trailing separator are possible in a file from the
// other program, so they are read into the '/' form with a trailing '/'.
QString ReadFolder(TCustomIniFile &ini, const QString &section, const QString &key, const QString &def) {
    QString folder = ini.ReadString(section, key, def);
    folder.replace('\\', '/');
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    return folder;
}

struct SingleWindowKey {
    const char *key;
    QPointer<QWidget> *slot;
};

const SingleWindowKey SingleWindowKeys[] = {
    {"Form_MaskEdit", &Form_MaskEdit}, {"Form_SetDev", &Form_SetDev}, {"Form_Settings", &Form_Settings},
    {"Form_Scenario", &Form_Scenario}, {"Form_Txt", &Form_Txt},       {"Form_Power", &Form_Power},
};

} // namespace

void TMainForm::SaveLayout() {
    TMemIniFile ini(IniFileName);
    const QString section = ProgramName;
    ini.WriteInteger(section, QStringLiteral("ClientTop"), y());
    ini.WriteInteger(section, QStringLiteral("ClientLeft"), x());
    ini.WriteInteger(section, QStringLiteral("ClientHeight"), height());
    ini.WriteInteger(section, QStringLiteral("ClientWidth"), width());
    QMdiSubWindow *active = MdiArea->activeSubWindow();
    ini.WriteInteger(section, QStringLiteral("ActiveMDIChild_Tag"), active ? WindowTag(active->widget()) : 0);
    ini.WriteString(section, QStringLiteral("USB-port"), StatusBar2->PanelText(0));
    for (int i = 0; i < BaseParWindowCount; ++i)
        ini.WriteBool(section, IndexedKey("Form_BaseParam", i), !BaseParWindows[std::size_t(i)].isNull());
    for (int i = 0; i < MeasParWindowCount; ++i)
        ini.WriteBool(section, IndexedKey("Form_MeasParam", i), !MeasParWindows[std::size_t(i)].isNull());
    for (int i = 0; i < GraphWindowCount; ++i)
        ini.WriteBool(section, IndexedKey("Form_Graph", i), !GraphWindows[std::size_t(i)].isNull());
    for (const char *key : {"Form_MaskEdit", "Form_SetDev", "Form_Settings", "Form_Scenario", "Form_Txt", "Form_Power"})
        for (const SingleWindowKey &single : SingleWindowKeys)
            if (qstrcmp(single.key, key) == 0)
                ini.WriteBool(section, QLatin1String(key), !single.slot->isNull());
    ini.WriteString(section, QStringLiteral("DirСfgFile"), DirCfgFile);
    ini.WriteString(section, QStringLiteral("DirMaskFile"), DirMaskFile);
    ini.WriteString(section, QStringLiteral("DirReport"), DirReport);
    ini.WriteString(section, QStringLiteral("DirDataFile"), DirDataFile);
    ini.WriteInteger(section, QStringLiteral("Технологический порт"), TechPort);
    try {
        ini.UpdateFile();
    } catch (const EIniFileException &e) {
        DebugLog(QString::fromUtf8(e.what()));
    }
}

void TMainForm::RestoreLayout() {
    TMemIniFile ini(IniFileName);
    const QString section = ProgramName;
    const int top = ini.ReadInteger(section, QStringLiteral("ClientTop"), y());
    const int left = ini.ReadInteger(section, QStringLiteral("ClientLeft"), x());
    move(left, top);
    const int height = ini.ReadInteger(section, QStringLiteral("ClientHeight"), this->height());
    const int width = ini.ReadInteger(section, QStringLiteral("ClientWidth"), this->width());
    resize(std::max(width, 200), std::max(height, 150));
    StatusBar2->SetPanelText(
        0, ini.ReadString(section, QStringLiteral("USB-port"), LoadStr(460) + QStringLiteral(" Нет")));

    for (int i = 0; i < BaseParWindowCount; ++i)
        if (ini.ReadInteger(section, IndexedKey("Form_BaseParam", i), 0)) {
            CurrentIndex = i;
            ShowBaseParWindow();
        }
    for (int i = 0; i < MeasParWindowCount; ++i)
        if (ini.ReadInteger(section, IndexedKey("Form_MeasParam", i), 0)) {
            CurrentIndex = i;
            ShowMeasParWindow();
        }
    for (int i = 0; i < GraphWindowCount; ++i)
        if (ini.ReadInteger(section, IndexedKey("Form_Graph", i), 0)) {
            CurrentIndex = i;
            ShowGraphWindow();
        }
    if (ini.ReadInteger(section, QStringLiteral("Form_MaskEdit"), 0))
        N_MasksClick(this);
    if (ini.ReadInteger(section, QStringLiteral("Form_SetDev"), 0))
        ShowRegistryWindow(Form_SetDev, WindowFactories.SetDev, 0, SetDevTag);
    if (ini.ReadInteger(section, QStringLiteral("Form_Txt"), 0))
        ShowTextMessageWindow();
    if (ini.ReadInteger(section, QStringLiteral("Form_Settings"), 0))
        ShowRegistryWindow(Form_Settings, WindowFactories.Settings, 0, SettingsTag);
    if (ini.ReadInteger(section, QStringLiteral("Form_Scenario"), 0))
        N_ScenarClick();
    if (ini.ReadInteger(section, QStringLiteral("Form_Power"), 0))
        Button_PowerClick();

    const int activeTag = ini.ReadInteger(section, QStringLiteral("ActiveMDIChild_Tag"), 0);
    if (activeTag != 0)
        for (QWidget *child : MdiChildren())
            if (WindowTag(child) == activeTag)
                BringUp(child);

    const std::pair<const char *, QToolBar *> bands[] = {{"ToolBar_Error", ToolBar_Error},
                                                         {"ToolBar_SelfMeter", ToolBar_SelfMeter},
                                                         {"ToolBar_SelfGen", ToolBar_SelfGen}};
    for (const auto &[name, band] : bands) {
        const int bandTop = ini.ReadInteger(section, QLatin1String(name) + QStringLiteral("_Top"), band->y());
        const int bandLeft = ini.ReadInteger(section, QLatin1String(name) + QStringLiteral("_Left"), band->x());
        band->move(bandLeft, bandTop);
    }
    DirCfgFile = ReadFolder(ini, section, QStringLiteral("DirСfgFile"), ConfigDir);
    DirMaskFile = ReadFolder(ini, section, QStringLiteral("DirMaskFile"), MaskDir);
    DirReport =
        ReadFolder(ini, section, QStringLiteral("DirReport"), ProgramDir() + QStringLiteral("Report/Protocol/"));
    DirDataFile = ReadFolder(ini, section, QStringLiteral("DirDataFile"), ProgramDir() + QStringLiteral("Data/"));
    TechPort = ini.ReadInteger(section, QStringLiteral("Технологический порт"), -1);
}

void TMainForm::FitMainCaption() {
    // The title bar leaves room for its frame and its buttons; the caption is measured in its own font.
    const QStyle *look = style();
    const int room = width() - (2 * look->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                                5 * look->pixelMetric(QStyle::PM_TitleBarHeight));
    const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
    setWindowTitle(
        FitCaptionText(CaptionText, room, [&metrics](const QString &text) { return metrics.horizontalAdvance(text); }));
}

#include "shell/MainConfigServices.h"

#include "controls/Placemnt.h"
#include "engine/SignalKindChange.h"
#include "engine/catalogue/GraphKindTable.h"
#include "platform/StringTable.h"
#include "settings/window/Form_SetDev.h"
#include "shell/FileChoice.h"
#include "shell/Form_messagebox.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"
#include "state/MainGlobals.h"
#include "storage/ConfigWindows.h"
#include "storage/FilePaths.h"
#include "storage/WindowArrangement.h"
#include "views/Fgraph.h"
#include "views/Form_parambase.h"
#include "views/Form_parammeter.h"
#include "views/Form_timediagr.h"
#include "views/ResultTableCells.h"
#include "views/Scalelabel.h"
#include "views/Setting.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

QPointer<QWidget> *RegistrySlot(TConfigWindow window) {
    const auto at = [&](auto &registry) -> QPointer<QWidget> * {
        return window.Index >= 0 && std::size_t(window.Index) < registry.size() ? &registry[std::size_t(window.Index)]
                                                                                : nullptr;
    };
    switch (window.Kind) {
    case ConfigWindowKind::ResultTable:
        return at(BaseParWindows);
    case ConfigWindowKind::ParamWindow:
        return at(MeasParWindows);
    case ConfigWindowKind::SettingsWindow:
        return &Form_SetDev;
    case ConfigWindowKind::ProgramSettings:
        return &Form_Settings;
    case ConfigWindowKind::Graph:
        return at(GraphWindows);
    case ConfigWindowKind::TextWindow:
        return at(ScaleLabelWindows);
    case ConfigWindowKind::TimeDiagram:
        return at(TimeDiagramWindows);
    case ConfigWindowKind::Main:
        break;
    }
    return nullptr;
}

QWidget *WindowOf(TConfigWindow window) {
    if (window.Kind == ConfigWindowKind::Main)
        return MainForm;
    QPointer<QWidget> *slot = RegistrySlot(window);
    return slot ? slot->data() : nullptr;
}

// The frame that is shown and closed: the MDI sub-window around a child.
QWidget *FrameOf(QWidget *window) {
    QMdiSubWindow *sub = MainForm ? MainForm->SubWindowOf(window) : nullptr;
    return sub ? static_cast<QWidget *>(sub) : window;
}

TFormPlacement *PlacementOf(QWidget *window) {
    return window->findChild<TFormPlacement *>(QString(), Qt::FindDirectChildrenOnly);
}

class TMainConfigWindowHost : public TConfigWindowHost {
public:
    QString IniFileName() override { return MainForm ? MainForm->IniFileName : QString(); }

    QString SectionName(TConfigWindow window) override {
        QString unitText;
        switch (window.Kind) {
        case ConfigWindowKind::ResultTable:
            return ResultsCaption(window.Index == 1);
        case ConfigWindowKind::ParamWindow:
            return ParamTableCaption(window.Index);
        case ConfigWindowKind::SettingsWindow:
            return LoadStr(446);
        case ConfigWindowKind::ProgramSettings:
            return LoadStr(447);
        case ConfigWindowKind::Graph:
            return window.Index >= 0 && window.Index < GraphKindCount ? GraphText(GraphKindTable[window.Index].Caption)
                                                                      : QString();
        case ConfigWindowKind::TextWindow:
            return WindowOf(window) ? WindowOf(window)->windowTitle() : QString();
        case ConfigWindowKind::TimeDiagram:
            return TimeDiagramCaption(window.Index, unitText);
        case ConfigWindowKind::Main:
            // The main window keeps its keys in the section of the program's name, whatever its caption.
            return ProgramName;
        }
        return {};
    }

    bool IsOpen(TConfigWindow window) override { return WindowOf(window) != nullptr; }

    void SavePlacement(TConfigWindow window) override {
        QWidget *w = WindowOf(window);
        if (!w)
            return;
        if (window.Kind == ConfigWindowKind::Main)
            MainForm->SaveLayout();
        else if (auto *settings = qobject_cast<TForm_SetDev *>(w))
            settings->FormStorage1SavePlacement();
        else if (TFormPlacement *store = PlacementOf(w))
            store->SaveFormPlacement();
    }

    void Replace(TConfigWindow window) override {
        QWidget *w = WindowOf(window);
        if (!w || window.Kind == ConfigWindowKind::Main)
            return;
        if (auto *settings = qobject_cast<TForm_SetDev *>(w))
            settings->FormStorage1RestorePlacement();
        else if (TFormPlacement *store = PlacementOf(w))
            store->RestoreFormPlacement();
        FrameOf(w)->show();
        if (auto *graph = qobject_cast<TForm_Graphic *>(w))
            graph->RedrawGraph();
    }

    void Create(TConfigWindow window) override {
        if (!MainForm)
            return;
        MainForm->CurrentIndex = window.Index;
        switch (window.Kind) {
        case ConfigWindowKind::ResultTable:
            MainForm->ShowBaseParWindow();
            break;
        case ConfigWindowKind::ParamWindow:
            MainForm->ShowMeasParWindow();
            break;
        case ConfigWindowKind::SettingsWindow:
            MainForm->N_GenClick(nullptr);
            if (auto *settings = qobject_cast<TForm_SetDev *>(Form_SetDev.data()))
                settings->FormStorage1RestorePlacement();
            break;
        case ConfigWindowKind::ProgramSettings:
            MainForm->N_Settings(nullptr);
            if (Form_Settings)
                if (TFormPlacement *store = PlacementOf(Form_Settings))
                    store->RestoreFormPlacement();
            break;
        case ConfigWindowKind::Graph:
            MainForm->ShowGraphWindow();
            break;
        case ConfigWindowKind::TimeDiagram:
            MainForm->ShowTimeDiagramWindow();
            break;
        case ConfigWindowKind::TextWindow:
        case ConfigWindowKind::Main:
            break;
        }
    }

    void Close(TConfigWindow window) override {
        if (QWidget *w = WindowOf(window); w && window.Kind != ConfigWindowKind::Main)
            FrameOf(w)->close();
    }

    std::optional<TTextWindowEntry> TextWindow(int32_t slot) override {
        auto *w = qobject_cast<TFormScaleLabel *>(WindowOf({ConfigWindowKind::TextWindow, slot}));
        if (!w)
            return std::nullopt;
        TTextWindowEntry entry;
        entry.Caption = w->windowTitle();
        entry.RowWindow = w->Key != nullptr;
        // A parameter row's window is found again through the row's own switch.
        if (!entry.RowWindow) {
            entry.IndexNorm = w->IndexNorm;
            entry.IndexValue = w->IndexValue;
            entry.FormIndexPar = w->FormIndexPar;
            entry.IndexMask = w->IndexMask;
        }
        return entry;
    }

    void OpenPointValueWindow(const TTextWindowEntry &entry) override {
        QString name = entry.Caption;
        const QString suffix = QStringLiteral(" - ") + LoadStr(441);
        if (name.endsWith(suffix))
            name.chop(suffix.size());
        ShowPointScaleLabel(name, entry.IndexNorm, entry.IndexValue, entry.FormIndexPar, entry.IndexMask);
    }

    void BringForward(int32_t tag) override {
        if (!MainForm)
            return;
        for (QWidget *child : MainForm->MdiChildren())
            if (WindowTag(child) == tag) {
                QWidget *frame = FrameOf(child);
                frame->show();
                frame->raise();
                if (auto *sub = qobject_cast<QMdiSubWindow *>(frame))
                    MainForm->MdiArea->setActiveSubWindow(sub);
            }
    }

    void ProcessMessages() override { QCoreApplication::processEvents(); }

    void Cascade() override {
        if (MainForm)
            MainForm->NCascadeClick();
    }

    void Tile(bool vertical) override {
        if (MainForm)
            MainForm->TileSubWindows(vertical ? Qt::Vertical : Qt::Horizontal);
    }

    void ReapplyRowSettings(int32_t tableIndex, int32_t row) override { SetParamFromConfig(row, false, tableIndex); }

    // The playback bar shows its options once the playback window exists; the dialog refreshes here.
    void RefreshProgramSettingsViews() override {
        if (auto *dialog = qobject_cast<TForm_Settings *>(Form_Settings.data()))
            dialog->ShowSettings();
    }
};

int ChooseFolder(const QString &caption, const QString &text) {
    const int answer =
        AskWithMesBox(caption, text, QStringLiteral("1."), QStringLiteral("2."), QStringLiteral("Отмена"), MainForm);
    return answer == 1 || answer == 2 ? answer : 0;
}

QString AskForFile(const QString &missingPath) {
    const QFileInfo file(QString(missingPath).replace(QLatin1Char('\\'), QLatin1Char('/')));
    TFileChoice choice;
    choice.Filter = QStringLiteral("*.") + file.suffix();
    choice.Folder = file.path();
    choice.FileName = file.fileName();
    return ChooseFile(MainForm, choice);
}

} // namespace

void InstallConfigServices() {
    static TMainConfigWindowHost host;
    SetConfigWindowHost(&host);
    SignalKindChangeViews().ArrangeGraphWindows = ArrangeGraphWindows;
    ProgramSettingsHost.ArrangeGraphWindows = ArrangeGraphWindows;
    SetFilePathQuestions({ChooseFolder, AskForFile});
}

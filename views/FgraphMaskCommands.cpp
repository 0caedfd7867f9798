#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "chart/ChartlibChart.h"
#include "chart/ChartlibChartDialogs.h"
#include "chart/GraphTableText.h"
#include "chartlib/Chartlib.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/catalogue/MaskCodeRange.h"
#include "engine/masks/MaskTransform.h"
#include "platform/ProgramDir.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "views/GraphHost.h"
#include "views/GraphSources.h"
#include "views/masks/MaskFileAsk.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTimer>

#include <memory>

namespace {

constexpr int ShiftRepeatMs = 50;

// The row's mask file pattern, e.g. "*.9sf".
QString RowFileMask(const ParamDescriptor &row) {
    return CutAtSeparator(QString::fromUtf8(row.FileMask ? row.FileMask : ""), QStringLiteral("\n"), QString());
}

// The kind's caption as it names files: without blanks and line feeds.
QString CaptionWithoutBlanks(int kind) {
    return GraphText(GraphKindTable[kind].Caption).remove(QLatin1Char(' ')).remove(QLatin1Char('\n'));
}

bool RowHasSlot(const ParamDescriptor *row) {
    return row && row->MaskSlot >= 0;
}

} // namespace

void TForm_Graphic::BuildMaskMenuItems() {
    PopupMenu_Chart->addSeparator();
    const auto add = [this](const char *name, const QString &caption, auto handler) {
        QAction *item = PopupMenu_Chart->addAction(caption);
        item->setObjectName(QLatin1String(name));
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    N_SaveToMask = add("N_SaveToMask", QStringLiteral("Сохранить график как маску"), [this] { N_SaveToMaskClick(); });
    N_SetAsMaskUp =
        add("N_SetAsMaskUp", QStringLiteral("Установить график как маску сверху"), [this] { N_SetAsMaskClick(0); });
    N_SetAsMaskDn =
        add("N_SetAsMaskDn", QStringLiteral("Установить график как маску снизу"), [this] { N_SetAsMaskClick(1); });
    N_ClearMaskUp = add("N_ClearMaskUp", QStringLiteral("Удалить маску сверху"), [this] { N_ClearMaskClick(0); });
    N_ClearMaskDn = add("N_ClearMaskDn", QStringLiteral("Удалить маску снизу"), [this] { N_ClearMaskClick(1); });
    connect(PopupMenu_Chart, &QMenu::aboutToShow, this, &TForm_Graphic::PopupMenu_ChartPopup);
}

void TForm_Graphic::PopupMenu_ChartPopup() {
    param_ = FindKindParam();
    for (QAction *item : {N_SaveToMask, N_SetAsMaskUp, N_SetAsMaskDn, N_ClearMaskUp, N_ClearMaskDn})
        item->setEnabled(false);
    if (!RowHasSlot(param_))
        return;
    const ParamDescriptor &row = *param_;
    N_SaveToMask->setEnabled(true);
    N_SetAsMaskUp->setEnabled(row.UpperNormAllowed);
    N_SetAsMaskDn->setEnabled(row.LowerNormAllowed);
    N_ClearMaskUp->setEnabled(row.UpperNormAllowed && row.Settings.ApplyUpper && SlotMask(row.MaskSlot, 0));
    N_ClearMaskDn->setEnabled(row.LowerNormAllowed && row.Settings.ApplyLower && SlotMask(row.MaskSlot, 1));
}

void TForm_Graphic::N_SaveToMaskClick() {
    const TPauseScope pause;
    QString path;
    SaveGraphAsMask(path, true);
}

void TForm_Graphic::N_SetAsMaskClick(int side) {
    const TPauseScope pause;
    QString path;
    if (SaveGraphAsMask(path, true))
        SetMaskFromFile(side, path);
}

void TForm_Graphic::N_ClearMaskClick(int side) {
    ClearMaskSide(side);
}

bool TForm_Graphic::SaveGraphAsMask(QString &path, bool ask) {
    param_ = FindKindParam();
    if (!RowHasSlot(param_))
        return false;
    const QString ext = RowFileMask(*param_);
    if (ask) {
        const QString filter = QStringLiteral("Маска ") + CaptionWithoutBlanks(kind_) + QStringLiteral(" (") + ext +
                               QStringLiteral(")|") + ext + QStringLiteral("|Текстовый файл (*.txt)|*.txt");
        QString *hostMaskFolder = GraphHost.DirMaskFile ? GraphHost.DirMaskFile() : nullptr;
        QString *hostReportFolder = GraphHost.DirReport ? GraphHost.DirReport() : nullptr;
        if (!AskTableFileName(this, path, hostMaskFolder ? *hostMaskFolder : ownMaskFolder_,
                              hostReportFolder ? *hostReportFolder : ownReportFolder_, filter,
                              TableFileKind::Filtered) &&
            path.isEmpty())
            return true;
    } else if (QFileInfo::exists(path)) {
        QFile::remove(path);
    }
    const auto curve = GraphCurve(kind_, true);
    if (!curve || curve->Count <= 0 || !curve->X || !curve->Y)
        return false;
    const bool reflectogram = kind_ == 3 || kind_ == 4;
    return SaveGraphTableText(path, curve->Count, kind_, curve->X, curve->Y, 0, reflectogram ? 2 : 1);
}

void TForm_Graphic::SetMaskFromFile(int side, const QString &path) {
    param_ = FindKindParam();
    if (!RowHasSlot(param_) || path.isEmpty() || !QFileInfo::exists(path) || side < 0 || side > 1)
        return;
    ParamDescriptor &row = *param_;
    const int32_t slot = row.MaskSlot;
    auto mask = std::make_unique<TMASK>();
    GetParamDefaultRange(mask->XMin, mask->XMax, slot);
    FindParamDescriptor(mask->YMin, mask->YMax, mask->CodeSteps, mask->WireBytes, slot);
    mask->Names << QFileInfo(path).fileName();
    mask->Paths << path;
    mask->Upper = side == 0 ? 1 : 0;
    mask->Scale = 100;
    TMaskFileAsk ask(this);
    mask->LoadFiles(ask);
    if (mask->Names.isEmpty())
        return;

    // The windows bound to the old mask let it go before it is freed.
    masks_[side] = nullptr;
    FreePointVerdicts(slot);
    MaskArray[slot][side] = std::move(mask);
    TMASK &installed = *MaskArray[slot][side];
    installed.Active = 0;
    AllocPointVerdicts(slot);

    ParamSettings &s = row.Settings;
    if (side == 1) {
        if (row.LowerNormAllowed)
            s.ApplyLower = 1;
        installed.Active = s.Analyse && s.ApplyLower && row.LowerNormAllowed;
        StoreMaskName(s.LowerMaskName, installed.Names.first() + QLatin1Char(';'));
    } else {
        if (row.UpperNormAllowed)
            s.ApplyUpper = 1;
        installed.Active = s.Analyse && s.ApplyUpper && row.UpperNormAllowed;
        StoreMaskName(s.UpperMaskName, installed.Names.first() + QLatin1Char(';'));
    }
    RebindMasks(side);
    if (RecordingOn)
        RecordChangeMask |= 0x01;
    if (GraphHost.RefreshParamTables)
        GraphHost.RefreshParamTables();
}

void TForm_Graphic::ClearMaskSide(int side) {
    param_ = FindKindParam();
    if (!RowHasSlot(param_) || side < 0 || side > 1)
        return;
    ParamDescriptor &row = *param_;
    (side == 1 ? row.Settings.ApplyLower : row.Settings.ApplyUpper) = 0;
    if (TMASK *mask = SlotMask(row.MaskSlot, side))
        mask->Active = 0;
    RebindMasks(side);
    if (GraphHost.RefreshParamTables)
        GraphHost.RefreshParamTables();
}

namespace {

// The two trace files of a selective kind in the last mask folder (the program's Masks folder before
// there is one): "<caption>_след1<ext>" and "_след2".
QString TracePath(int kind, const ParamDescriptor &row, int trace) {
    const QString *hostFolder = GraphHost.DirMaskFile ? GraphHost.DirMaskFile() : nullptr;
    const QString folder = hostFolder && !hostFolder->isEmpty() ? *hostFolder : ProgramDir() + QStringLiteral("Masks/");
    const QString name = CaptionWithoutBlanks(kind).replace(QLatin1Char(':'), QLatin1Char('_'));
    const QString ext = RowFileMask(row).remove(QLatin1Char('*'));
    return folder + name + QStringLiteral("_след") + QString::number(trace) + ext;
}

} // namespace

void TForm_Graphic::SaveTraceAsMask(int side) {
    param_ = FindKindParam();
    if (!RowHasSlot(param_))
        return;
    QString trace1 = TracePath(kind_, *param_, 1);
    if (!SaveGraphAsMask(trace1, false))
        return;
    MaskIsLine[side] = 1;
    SetMaskFromFile(side, trace1);
}

void TForm_Graphic::ShiftTraceMask(int side) {
    param_ = FindKindParam();
    if (!RowHasSlot(param_))
        return;
    const QString trace1 = TracePath(kind_, *param_, 1);
    const QString trace2 = TracePath(kind_, *param_, 2);
    if (!QFileInfo::exists(trace1))
        return;
    QFile::remove(trace2);
    if (!QFile::rename(trace1, trace2))
        return;
    MaskIsLine[side] = 1;
    SetMaskFromFile(side, trace2);
}

void TForm_Graphic::SBtn_ShiftMouseDown(int direction, Qt::KeyboardModifiers modifiers) {
    if (!ShiftTimer) {
        ShiftTimer = new QTimer(this);
        ShiftTimer->setInterval(ShiftRepeatMs);
        connect(ShiftTimer, &QTimer::timeout, this, &TForm_Graphic::ShiftMasksStep);
    }
    ShiftState = modifiers;
    ShiftButton = direction;
    ShiftTimer->start();
    ShiftMasksStep();
}

void TForm_Graphic::SBtn_ShiftMouseUp() {
    delete ShiftTimer;
    ShiftTimer = nullptr;
}

void TForm_Graphic::ShiftMasksStep() {
    const TChartAxis &bottom = Chart1->BottomAxis();
    const double step = MaskShiftStep(bottom.Maximum() - bottom.Minimum(), Chart1->ChartWidth(), width(),
                                      ShiftState.testFlag(Qt::ShiftModifier), ShiftState.testFlag(Qt::ControlModifier));
    bool moved = false;
    for (TMASK *mask : masks_)
        if (mask && mask->Active) {
            ShiftMaskX(*mask, ShiftButton * step);
            moved = true;
        }
    if (moved)
        Chart1->Repaint();
}

void TForm_Graphic::Edit_ScaleMaskChange(int percent) {
    bool changed = false;
    for (TMASK *mask : masks_)
        if (mask && mask->Active) {
            ScaleMask(*mask, percent);
            changed = true;
        }
    if (changed)
        Chart1->Repaint();
}

void TForm_Graphic::ShowMaskColourDialog(int side) {
    if (side < 0 || side > 1)
        return;
    bool confirmed = false;
    if (GraphHost.EditMaskStyle) {
        confirmed = GraphHost.EditMaskStyle(this, MaskColours[side], MaskWidths[side], MaskIsLine[side]);
    } else {
        const QColor colour = AskColor(this, WinColor(MaskColours[side]));
        confirmed = colour.isValid();
        if (confirmed)
            MaskColours[side] = WinColorValue(colour);
    }
    if (confirmed && masks_[side]) {
        masks_[side]->Colour = MaskColours[side];
        masks_[side]->Width = uint8_t(MaskWidths[side]);
        masks_[side]->IsLine = uint8_t(MaskIsLine[side]);
    }
    RedrawGraph();
}

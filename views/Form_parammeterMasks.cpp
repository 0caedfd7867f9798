#include "views/Form_parammeter.h"

#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/catalogue/MaskCodeRange.h"
#include "platform/ProgramDir.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "state/SettingsLoadState.h"
#include "views/GraphHost.h"
#include "views/ParamGridCells.h"
#include "views/ParamGrids.h"
#include "views/ParamWindowHost.h"
#include "views/masks/Form_selectmask.h"

#include <QTableWidget>

#include <memory>

namespace {

// The mask takes what the evaluation and the remote link need of its row and slot.
void DescribeMask(TMASK &mask, const ParamDescriptor &row) {
    mask.Scale = 100;
    GetParamDefaultRange(mask.XMin, mask.XMax, row.MaskSlot);
    mask.YMin = row.MinValue;
    mask.YMax = row.MaxValue;
    mask.CodeSteps = row.CodeSteps;
    mask.WireBytes = row.WireBytes;
}

} // namespace

// Settings loading holds SettingsLoadState at 2 meanwhile, so the two never change the masks at once.
void TForm_MeasPar::EditMaskNorm(int column, int row) {
    if (row < 1 || row > RowCount)
        return;
    ParamDescriptor &param = RowOf(row);
    if (param.MaskSlot < 0 || param.MaskSlot >= MaskSlotCount || SettingsLoadState != 1)
        return;
    SettingsLoadState = 2;
    const bool upper = column == ColUpperNorm;
    const int side = upper ? MaskUpperSide : MaskLowerSide;
    std::unique_ptr<TMASK> &entry = MaskArray[param.MaskSlot][side];
    if (!entry)
        entry = std::make_unique<TMASK>();
    entry->Active = 0;
    entry->Upper = uint8_t(upper);
    QString localFolder = ProgramDir() + QStringLiteral("Masks/");
    QString *folder = GraphHost.DirMaskFile ? GraphHost.DirMaskFile() : nullptr;
    const QString fileMask = QString::fromUtf8(param.FileMask).section(QLatin1Char('\n'), 0, 0);
    {
        TForm_SetMask dialog(this, entry.get(), fileMask, folder ? folder : &localFolder);
        RunMaskDialog(dialog);
    }

    QTableWidgetItem *cell = SG->item(row, column);
    int16_t &name = upper ? param.Settings.UpperMaskName : param.Settings.LowerMaskName;
    if (entry->Paths.isEmpty()) {
        // No mask is no norm: the row neither names one nor applies one, so no view shows a norm that
        // nothing judges.
        entry.reset();
        if (name >= 0)
            StoreMaskName(name, QString());
        (upper ? param.Settings.ApplyUpper : param.Settings.ApplyLower) = 0;
        ShowRow(row);
    } else {
        DescribeMask(*entry, param);
        QString names;
        for (const QString &name : entry->Names)
            names += name + QLatin1Char(';');
        StoreMaskName(name, names);
        cell->setText(entry->Names.value(0) + (entry->Names.size() > 1 ? QStringLiteral("...") : QString()));
    }
    AllocPointVerdicts(param.MaskSlot);
    FitGridColumn(SG, column);

    const bool rebound = param.GraphKind >= 0 && ParamWindowHost.RebindGraphMasks &&
                         ParamWindowHost.RebindGraphMasks(param.GraphKind, side);
    if (!rebound && entry) {
        const ParamSettings &s = param.Settings;
        entry->Active = uint8_t(
            s.Analyse && (upper ? s.ApplyUpper && param.UpperNormAllowed : s.ApplyLower && param.LowerNormAllowed));
    }
    if (RecordingOn)
        RecordChangeMask |= 1;
    SettingsLoadState = 1;
    if (ParamWindowHost.ReplaySstResults)
        ParamWindowHost.ReplaySstResults();
}

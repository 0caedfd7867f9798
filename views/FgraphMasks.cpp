#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/MaskSlot.h"
#include "views/GraphHost.h"
#include "views/masks/MaskDrawing.h"

#include <QLabel>
#include <QPainter>

int32_t TForm_Graphic::MaskSlot() const {
    return MaskSlotOf(SignalKind, kind_);
}

void TForm_Graphic::RebindMasks(int which) {
    if (which == 2) {
        BindMask(0);
        BindMask(1);
    } else if (which == 0 || which == 1) {
        BindMask(which);
    }
    UpdateMaskPanel();
}

void TForm_Graphic::BindMask(int side) {
    const int32_t slot = MaskSlot();
    TMASK *mask = slot >= 0 && PointVerdictSize(slot) >= 0 ? SlotMask(slot, side) : nullptr;
    masks_[side] = mask;
    if (mask)
        WindowMaskSlot = slot;
    else if (slot < 0 || (!SlotMask(slot, 0) && !SlotMask(slot, 1)))
        WindowMaskSlot = -1;
    if (mask) {
        mask->Colour = MaskColours[side];
        mask->IsLine = uint8_t(MaskIsLine[side]);
        mask->Width = uint8_t(MaskWidths[side]);
    }
    param_ = FindKindParam();
    if (!param_ || !mask)
        return;
    const ParamSettings &s = param_->Settings;
    mask->Active = side == 0 ? (s.Analyse && s.ApplyUpper && param_->UpperNormAllowed)
                             : (s.Analyse && s.ApplyLower && param_->LowerNormAllowed);
}

namespace {

bool ActiveMask(const TMASK *mask) {
    return mask && mask->Active;
}

// The label of an active mask: its first file name, with the mask's colour while the curve violates it.
void ShowMaskLabel(QLabel *label, const TMASK *mask, const QString &prefix, const QPalette &base) {
    label->setVisible(ActiveMask(mask));
    if (!ActiveMask(mask))
        return;
    label->setText(prefix + (mask->Names.isEmpty() ? QString() : mask->Names.first()) + QLatin1Char(' '));
    QPalette palette = base;
    if (mask->Passed == 0) {
        palette.setColor(QPalette::Window, WinColor(mask->Colour));
        if (((mask->Colour >> 8) & 0xFF) != 0xFF)
            palette.setColor(QPalette::WindowText, Qt::white);
    }
    label->setPalette(palette);
}

} // namespace

void TForm_Graphic::UpdateMaskPanel() {
    Mask_Panel->setVisible(ActiveMask(masks_[0]) || ActiveMask(masks_[1]));
    ShowMaskLabel(Label_TopMask, masks_[0], QStringLiteral(" норма сверху: "), palette());
    ShowMaskLabel(Label_DnMask, masks_[1], QStringLiteral(" норма снизу: "), palette());
}

void TForm_Graphic::DrawMasks(QPainter &painter) {
    TChartAxis &bottom = Chart1->BottomAxis();
    TChartAxis &left = Chart1->LeftAxis();
    const TMaskView view{bottom.Minimum(),
                         bottom.Maximum(),
                         left.Minimum(),
                         left.Maximum(),
                         [&bottom](double x) { return double(bottom.CalcPosValue(x)); },
                         [&left](double y) { return double(left.CalcPosValue(y)); }};
    for (const TMASK *mask : masks_)
        if (ActiveMask(mask))
            DrawMaskOnChart(painter, *mask, view);
}

#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParameterTable.h"
#include "state/DeviceSettings.h"
#include "views/GraphXRange.h"

#include <cstring>

namespace {

// The table whose rows serve a kind while no signal kind is known (settling).
int SettlingTableKind(int kind) {
    if (kind == 3 || kind == 4 || kind == 20)
        return 4;
    if (kind >= 5 && kind <= 15)
        return 3;
    if (kind == 16 || kind == 17 || kind == 37 || kind == 38)
        return 5;
    if (kind >= 21)
        return 6;
    return 0;
}

// The row that lends its Y range to a kind without a parameter row of its own: table and caption.
struct TFixedRow {
    int table;
    const char *caption;
};

TFixedRow FixedRowOf(int kind) {
    static const char *const Mtts[] = {"АЧХ,дБ", "ГВП,мкс", "С/Ш,дБ", "Z,Ом", "Кнс,%", "Ф,град",
                                       "Анс,дБ", "бит",     "C,нФ",   "R,Ом", "X,Ом"};
    static const char *const MirvakResponse[] = {"АЧХ,дБ", "R,Ом",  "X,Ом", "Z,Ом",  "Ф,град",
                                                 "Анс,дБ", "Кнс,%", "C,нФ", "L,мкГн"};
    static const char *const MirvakCable[] = {"a(f),дБ/км", "b(f),рад/км", "v(f),м/мкс", "Zв(f),Ом", "Ф(f),град"};
    switch (kind) {
    case 0:
        return {5, "Осциллограмма"};
    case 1:
        return {5, "Сел.уровни,дБм0"};
    case 2:
        return {5, "Сел.взв.уровни,дБм0"};
    case 3:
        return {4, "Рефлектограмма,дБ"};
    case 4:
        return {4, "Рефлектограмма,%"};
    case 20:
        return {4, "АЧХ,дБ"};
    case 16:
        return {5, "Фазограмма(сел),дБм0"};
    case 17:
        return {5, "Фазограмма(взв),дБм0"};
    case 37:
        return {5, "Фазограмма(сел),В"};
    case 38:
        return {5, "Фазограмма(взв),В"};
    case 18:
        return {1, "АЧХ,дБ"};
    case 19:
        return {1, "АХ,дБ"};
    case 21:
        return {6, "Сел.уровни,дБм0"};
    case 22:
        return {6, "Сел.взв.уровни,дБм0"};
    default:
        break;
    }
    if (kind >= 5 && kind <= 15)
        return {3, Mtts[kind - 5]};
    if (kind >= 23 && kind <= 31)
        return {6, MirvakResponse[kind - 23]};
    if (kind >= 32 && kind <= 36)
        return {6, MirvakCable[kind - 32]};
    return {0, nullptr};
}

ParamDescriptor *RowByCaption(int table, const char *caption) {
    const ParameterTable rows = ParameterTableOf(table);
    const QString wanted = QString::fromUtf8(caption);
    for (int32_t i = 0; i < rows.RowCount; ++i)
        if (QString::fromUtf8(rows.Rows[i].Caption).remove(QLatin1Char('\n')) == wanted)
            return &rows.Rows[i];
    return nullptr;
}

} // namespace

ParamDescriptor *TForm_Graphic::FindKindParam() const {
    const int table = SignalKind >= 1 && SignalKind <= 7 ? SignalKind : SettlingTableKind(kind_);
    const ParameterTable rows = ParameterTableOf(table);
    for (int32_t i = 0; i < rows.RowCount; ++i)
        if (rows.Rows[i].GraphKind == kind_)
            return &rows.Rows[i];
    return nullptr;
}

void TForm_Graphic::LoadYRange() {
    param_ = FindKindParam();
    ParamDescriptor *row = param_;
    if (!row) {
        const TFixedRow fixed = FixedRowOf(kind_);
        if (fixed.caption)
            row = RowByCaption(fixed.table, fixed.caption);
    }
    if (!row)
        return;
    YMin = row->MinValue;
    YMax = row->MaxValue;
    YIncrement = row->Increment;
    YShownMax = row->Settings.YScaleMax;
    YShownMin = row->Settings.YScaleMin;
    Chart1->LeftAxis().SetIncrement(YIncrement);
}

void TForm_Graphic::RestoreYRange() {
    YShownMax = YMax;
    YShownMin = YMin;
    Chart1->LeftAxis().SetMinMax(YMin, YMax);
}

void TForm_Graphic::StoreYRange() {
    param_ = FindKindParam();
    if (!param_)
        return;
    YShownMax = Chart1->LeftAxis().Maximum();
    YShownMin = Chart1->LeftAxis().Minimum();
    param_->Settings.YScaleMax = float(YShownMax);
    param_->Settings.YScaleMin = float(YShownMin);
}

void TForm_Graphic::SetDefaultXRange(bool force) {
    const TDefaultXRange range = DefaultXRange(kind_, *DeviceSettings);
    XMin = range.XMin;
    XMax = range.XMax;
    ZoomResolution = range.ZoomResolution;
    force = force || range.Force;
    if (range.ResizeTable)
        ResizeTable();
    if (range.SetsYRange) {
        YShownMax = range.YShownMax;
        YShownMin = range.YShownMin;
        if (ParamDescriptor *row = FindKindParam()) {
            row->Settings.YScaleMax = float(YShownMax);
            row->Settings.YScaleMin = float(YShownMin);
        }
        Chart1->LeftAxis().SetMinMax(YShownMin, YShownMax);
    }
    FullXMax = XMax;
    FullXMin = XMin;
    TChartAxis &bottom = Chart1->BottomAxis();
    if (force || FullXMax < bottom.Maximum() || FullXMin > bottom.Minimum())
        bottom.SetMinMax(FullXMin, FullXMax);
    SetBottomIncrement();
    RefreshCursors(CursorSet);
}

void TForm_Graphic::SetBottomIncrement() {
    TChartAxis &bottom = Chart1->BottomAxis();
    int width = Chart1->ChartWidth();
    if (width == 0)
        width = Chart1->width();
    bottom.SetIncrement(BottomIncrement(bottom.Maximum() - bottom.Minimum(), bottom.MaxLabelsWidth(), width));
}

void TForm_Graphic::RestoreGraphWindow() {
    LoadYRange();
    FormStorage1->RestoreFormPlacement();
    SetBottomIncrement();
    show();
}

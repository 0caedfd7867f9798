#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "controls/Placemnt.h"
#include "engine/catalogue/GraphKindTable.h"
#include "platform/IniFile.h"
#include "state/DeviceSettings.h"
#include "views/CursorKeysStore.h"
#include "views/GraphHost.h"
#include "views/GraphWindowKeys.h"
#include "views/GraphXRange.h"

#include <algorithm>

namespace {

// The spectra keep their own colours and have no line or point marks to style.
bool StyledKind(int kind) {
    return !(kind == 1 || kind == 2 || kind == 21 || kind == 22);
}

} // namespace

void TForm_Graphic::FormStorage1SavePlacement() {
    TCustomIniFile *ini = FormStorage1->GetIniFile();
    if (!ini)
        return;
    TGraphWindowKeys keys;
    keys.ChartBackColor = WinColorValue(Chart1->BackColor());
    keys.SeriesColor = WinColorValue(series_->Color());
    keys.BandColour = BandColour;
    keys.ToneColour = ToneColour;
    keys.LineWidth = lineWidth_;
    keys.MarksStyle = marksStyle_;
    keys.MarksVisible = marksVisible_;
    keys.PointVisible = series_->PointerVisible() ? 1 : 0;
    keys.PointStyle = pointStyle_;
    keys.LeftMax = Chart1->LeftAxis().Maximum();
    keys.LeftMin = Chart1->LeftAxis().Minimum();
    keys.BottomMax = Chart1->BottomAxis().Maximum();
    keys.BottomMin = Chart1->BottomAxis().Minimum();
    std::copy(std::begin(CursorColours), std::end(CursorColours), keys.CursorColours);
    std::copy(std::begin(MaskColours), std::end(MaskColours), keys.MaskColours);
    std::copy(std::begin(MaskWidths), std::end(MaskWidths), keys.MaskWidths);
    std::copy(std::begin(MaskIsLine), std::end(MaskIsLine), keys.MaskIsLine);
    for (int n = 0; n < 2; ++n) {
        const TCursorOnGraph *cursor = CursorSet.Cursors[n];
        keys.CursorVisible[n] = cursor != nullptr;
        if (cursor)
            keys.Cursors[n] = CursorKeysOf(*cursor);
    }
    SaveGraphWindowKeys(*ini, FormStorage1->GetIniSection(), keys);
}

void TForm_Graphic::FormStorage1RestorePlacement() {
    TCustomIniFile *ini = FormStorage1->GetIniFile();
    if (!ini)
        return;
    TGraphWindowKeys keys;
    keys.SeriesColor = WinColorValue(series_->Color());
    keys.BandColour = BandColour;
    keys.ToneColour = ToneColour;
    keys.LeftMax = YShownMax;
    keys.LeftMin = YShownMin;
    keys.BottomMax = FullXMax;
    keys.BottomMin = FullXMin;
    LoadGraphWindowKeys(*ini, FormStorage1->GetIniSection(), keys);

    Chart1->SetBackColor(WinColor(keys.ChartBackColor));
    BandColour = keys.BandColour;
    ToneColour = keys.ToneColour;
    series_->SetColor(WinColor(StyledKind(kind_) ? ToneColour : keys.SeriesColor));
    lineWidth_ = keys.LineWidth;
    const int width = keys.LineWidth == 0 ? 2 : keys.LineWidth;
    marksStyle_ = keys.MarksStyle;
    marksVisible_ = keys.MarksVisible;
    series_->SetMarks(marksVisible_ != 0, marksStyle_);
    pointStyle_ = keys.PointStyle;
    if (StyledKind(kind_)) {
        series_->SetLineWidth(keys.LineWidth);
        const bool markers = keys.PointVisible != 0 || kind_ == 18 || kind_ == 19;
        series_->SetPointer(markers, series_->Pointer(), markers ? width + 1 : 1);
    }
    std::copy(std::begin(keys.CursorColours), std::end(keys.CursorColours), CursorColours);
    std::copy(std::begin(keys.MaskColours), std::end(keys.MaskColours), MaskColours);
    std::copy(std::begin(keys.MaskWidths), std::end(keys.MaskWidths), MaskWidths);
    std::copy(std::begin(keys.MaskIsLine), std::end(keys.MaskIsLine), MaskIsLine);
    RebindMasks(2);
    for (int n = 0; n < 2; ++n)
        if (keys.CursorVisible[n])
            RestoreCursor(CursorSet, *ini, FormStorage1->GetIniSection(), n, CursorLimits());
    if (CursorSet.Cursors[1])
        CheckPopupItem(CursorSet.CursorMenus[1], TagWindowX, CursorSet.Cursors[1]->BindToCursor1);

    if (keys.LeftMin != keys.LeftMax)
        Chart1->LeftAxis().SetMinMax(keys.LeftMin, keys.LeftMax);
    double minimum = 0, maximum = 0;
    if (DeviceSettings->PeerConnectState >= 1)
        SetDefaultXRange(true);
    else if (RestoredBottomRange(keys.BottomMin, keys.BottomMax, XMin, XMax, minimum, maximum))
        Chart1->BottomAxis().SetMinMax(minimum, maximum);
    SetBottomIncrement();
    RefreshCursors(CursorSet);
}

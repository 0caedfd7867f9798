#include "engine/catalogue/ParamTableBuilder.h"

#include "engine/catalogue/ParamCatalogue.h"

namespace {

// Out pointers of rows that publish nothing.
ParamSettings *ScratchSettings;
float *ScratchResult;

uint8_t Bit(uint8_t mask, uint8_t bit) {
    return (mask & bit) ? 1 : 0;
}

void SetParamDescriptor(ParamDescriptor &row, const ParamRowData &data) {
    row.Caption = data.Caption;
    row.Hint = data.Hint;
    row.MinValue = data.MinValue;
    row.MaxValue = data.MaxValue;
    row.Increment = data.Increment;
    row.ScaleMin = data.ScaleMin;
    row.ScaleMax = data.ScaleMax;
    row.CodeSteps = data.CodeSteps;
    row.WireBytes = data.WireBytes;
    row.TextNorms = Bit(data.Allowed, AllowT);
    row.ProtocolAllowed = Bit(data.Allowed, AllowP);
    row.TimeDiagramAllowed = Bit(data.Allowed, AllowD);
    row.TextWindowAllowed = Bit(data.Allowed, AllowW);
    row.LowerNormAllowed = Bit(data.Allowed, AllowL);
    row.UpperNormAllowed = Bit(data.Allowed, AllowU);
    row.MarginAllowed = Bit(data.Allowed, AllowM);
    row.MaskSlot = data.MaskSlot;
    row.FileMask = data.FileMask;
    row.GraphKind = data.GraphKind;
    row.ParamId = data.ParamId;
    row.UnitGroup = data.UnitGroup;
}

void SetParamSettings(ParamSettings &settings, ParamSettings *&out, const ParamRowData &data) {
    settings = ParamSettings{};
    settings.Analyse = Bit(data.Defaults, DefaultA);
    settings.Protocol = Bit(data.Defaults, DefaultP);
    settings.ApplyLower = Bit(data.Defaults, DefaultL);
    settings.ApplyUpper = Bit(data.Defaults, DefaultU);
    settings.LowerNorm = data.LowerNorm;
    settings.UpperNorm = data.UpperNorm;
    settings.ComputeMargin = Bit(data.Defaults, DefaultM);
    settings.Factor = data.Factor;
    settings.TimeDiagram = 0;
    settings.TextWindow = data.TextWindow;
    settings.LowerMaskName = -1;
    settings.UpperMaskName = -1;
    settings.YScaleMin = data.YScaleMin;
    settings.YScaleMax = data.YScaleMax;
    settings.Colour = data.Colour;
    out = &settings;
}

void SetParamResult(ParamResult &result, ParamResult &remote, float *&out, float value, float margin, uint8_t verdict) {
    result = ParamResult{value, margin, verdict, {}};
    remote = result;
    out = &result.Value;
}

} // namespace

ParamTableBuilder::ParamTableBuilder(int32_t signalKind)
    : SignalKind(signalKind), Table(ParameterTableOf(signalKind)) {}

void ParamTableBuilder::Add(const ParamRowData &data) {
    const int32_t index = NextRow++;
    if (index >= Table.RowCount)
        return;
    ParamDescriptor &row = Table.Rows[index];
    SetParamDescriptor(row, data);

    const bool publishesGraph = data.GraphKind >= 0 && data.GraphKind < GraphKindCount;
    SetParamSettings(row.Settings, publishesGraph ? GraphParamSettings[data.GraphKind][SignalKind] : ScratchSettings,
                     data);

    const bool publishesResult = data.ResultSlot >= 0 && data.ResultSlot < ParamResultSlotCount;
    SetParamResult(row.Result, Table.RemoteResults[index],
                   publishesResult ? ParamResultSlots[data.ResultSlot] : ScratchResult, NoValue, NoValue,
                   ParamNotJudged);
}

void ParamTableBuilder::Add(std::span<const ParamRowData> rows) {
    for (const ParamRowData &data : rows)
        Add(data);
}

#include "engine/catalogue/ParameterTable.h"

#include "platform/StringTable.h"

ParamDescriptor ParamTableSin[ParamTableRowCounts[1]];
ParamDescriptor ParamTableSin2[ParamTableRowCounts[2]];
ParamDescriptor ParamTableMtts[ParamTableRowCounts[3]];
ParamDescriptor ParamTablePrbs[ParamTableRowCounts[4]];
ParamDescriptor ParamTableNoise[ParamTableRowCounts[5]];
ParamDescriptor ParamTableMirvak[ParamTableRowCounts[6]];
ParamDescriptor ParamTableSync[ParamTableRowCounts[7]];

ParamResult RemoteParamResultsSin[ParamTableRowCounts[1]];
ParamResult RemoteParamResultsSin2[ParamTableRowCounts[2]];
ParamResult RemoteParamResultsMtts[ParamTableRowCounts[3]];
ParamResult RemoteParamResultsPrbs[ParamTableRowCounts[4]];
ParamResult RemoteParamResultsNoise[ParamTableRowCounts[5]];
ParamResult RemoteParamResultsMirvak[ParamTableRowCounts[6]];
ParamResult RemoteParamResultsSync[ParamTableRowCounts[7]];
int32_t RemoteSignalKind = 0;

namespace {

const ParameterTable Tables[8] = {
    {nullptr, nullptr, 0},
    {ParamTableSin, RemoteParamResultsSin, ParamTableRowCounts[1]},
    {ParamTableSin2, RemoteParamResultsSin2, ParamTableRowCounts[2]},
    {ParamTableMtts, RemoteParamResultsMtts, ParamTableRowCounts[3]},
    {ParamTablePrbs, RemoteParamResultsPrbs, ParamTableRowCounts[4]},
    {ParamTableNoise, RemoteParamResultsNoise, ParamTableRowCounts[5]},
    {ParamTableMirvak, RemoteParamResultsMirvak, ParamTableRowCounts[6]},
    {ParamTableSync, RemoteParamResultsSync, ParamTableRowCounts[7]},
};

} // namespace

ParameterTable ParameterTableOf(int32_t signalKind) {
    if (signalKind < FirstTableKind || signalKind > LastTableKind)
        return Tables[0];
    return Tables[signalKind];
}

QString SignalKindName(int32_t signalKind) {
    switch (signalKind) {
    case 1:
        return QStringLiteral("SIN");
    case 2:
        return QStringLiteral("SIN2");
    case 3:
        return LoadStr(141);
    case 4:
        return LoadStr(425);
    case 5:
        return LoadStr(152);
    case 6:
        return LoadStr(459);
    case 7:
        return QStringLiteral("SYNC");
    default:
        return LoadStr(149);
    }
}

#pragma once

#include <QString>

#include "engine/catalogue/ParamDescriptor.h"

#include <cstdint>

// Row counts of the seven tables, indexed by SignalKind (1 SIN .. 7 SYNC; kind 0 has no table).
inline constexpr int32_t ParamTableRowCounts[8] = {0, 32, 16, 51, 41, 15, 32, 11};

inline constexpr int32_t FirstTableKind = 1;
inline constexpr int32_t LastTableKind = 7;

// Every table starts with these two rows.
inline constexpr int32_t QualityRow = 0;
inline constexpr int32_t ComplianceRow = 1;

extern ParamDescriptor ParamTableSin[ParamTableRowCounts[1]];
extern ParamDescriptor ParamTableSin2[ParamTableRowCounts[2]];
extern ParamDescriptor ParamTableMtts[ParamTableRowCounts[3]];
extern ParamDescriptor ParamTablePrbs[ParamTableRowCounts[4]];
extern ParamDescriptor ParamTableNoise[ParamTableRowCounts[5]];
extern ParamDescriptor ParamTableMirvak[ParamTableRowCounts[6]];
extern ParamDescriptor ParamTableSync[ParamTableRowCounts[7]];

// The peer analyser's last results, row i belonging to row i of the table of the same kind.
extern ParamResult RemoteParamResultsSin[ParamTableRowCounts[1]];
extern ParamResult RemoteParamResultsSin2[ParamTableRowCounts[2]];
extern ParamResult RemoteParamResultsMtts[ParamTableRowCounts[3]];
extern ParamResult RemoteParamResultsPrbs[ParamTableRowCounts[4]];
extern ParamResult RemoteParamResultsNoise[ParamTableRowCounts[5]];
extern ParamResult RemoteParamResultsMirvak[ParamTableRowCounts[6]];
extern ParamResult RemoteParamResultsSync[ParamTableRowCounts[7]];
// The signal kind of the peer's last results: it chooses the table of the remote result window.
extern int32_t RemoteSignalKind;

// The table of one signal kind with its remote results; Rows is null and RowCount 0 for a kind
// outside 1..7, so a walk over it does nothing.
struct ParameterTable {
    ParamDescriptor *Rows;
    ParamResult *RemoteResults;
    int32_t RowCount;
};

ParameterTable ParameterTableOf(int32_t signalKind);

// The name a signal kind goes by in captions and protocols: "SIN", "SIN2", the string-table names of
// MTTS, PRBS, NOISE and the selective mode, "SYNC"; string 149 for any other value.
QString SignalKindName(int32_t signalKind);

#pragma once

#include "settings/remote/RemoteMessageParts.h"

#include <QString>

#include <cstdint>
#include <memory>

class TRemoteWriter;
class TRemoteReader;
class TMASK;

// The records that carry other subsystems' data between the two analysers: the measured-parameter
// settings of the five generator-mode tables with their masks (ParamSettings_R), the passive side's
// results (Results_R) and what the active side's scenario is running (ScenarioInfo_R). Readers follow the
// rules of RemoteRecords.h: a truncated or damaged record applies nothing and ends the parse.

// What the active side runs, as its last ScenarioInfo_R said; the protocol of a measurement made under
// the peer's control is filed under these names.
struct TPeerScenario {
    QString Name;
    QString ConfigName;
    int32_t Number = -1;
    int32_t LastRow = 0;
};
extern TPeerScenario PeerScenario;

void WriteParamSettings(TRemoteWriter &w);
bool ReadParamSettings(TRemoteReader &r, TRemoteParse &p);

// The results block goes last in its message: its reader takes everything to the end.
void WriteResults(TRemoteWriter &w);
bool ReadResults(TRemoteReader &r, TRemoteParse &p);

void WriteScenarioInfo(TRemoteWriter &w);
bool ReadScenarioInfo(TRemoteReader &r, TRemoteParse &p);

// One mask of a ParamSettings_R record, decoded over this analyser's own ranges of its slot; the record's
// reader puts it into PendingMaskArray once the whole record arrived. Null for a truncated mask or a slot
// outside 0..43.
std::unique_ptr<TMASK> ReadRemoteMaskRecord(TRemoteReader &r, int32_t &slot);

#pragma once

#include "settings/remote/RemoteMessageParts.h"

class TRemoteWriter;
class TRemoteReader;

// The records of the remote-link message that carry DeviceSettings, the texts and the exchange's own
// signals. A writer appends its record (type byte first) from this analyser's state; a reader takes the
// payload after the type byte, applies it and adds the program codes of the reply. A reader returns
// false when the record is truncated: nothing of it is applied, and the parse ends.

// The writers of the records without payload data of their own are the type byte alone.
void WriteSin(TRemoteWriter &w);
void WriteSin2(TRemoteWriter &w);
void WriteMtts(TRemoteWriter &w);
void WriteRnd(TRemoteWriter &w);
void WriteNoise(TRemoteWriter &w);
void WriteGenChange(TRemoteWriter &w);
void WriteMasterF(TRemoteWriter &w);
void WriteMasterL(TRemoteWriter &w);
void WritePlug(TRemoteWriter &w);
// Raises the averaging for the peer first (RaiseAveragingForRemote).
void WriteChangeM9(TRemoteWriter &w);
// Nothing when no entry is set.
void WriteDontSupport(TRemoteWriter &w, const TUnsupportedModes &modes);
void WriteSendTxt(TRemoteWriter &w);
void WriteSync(TRemoteWriter &w);

bool ReadSin(TRemoteReader &r, TRemoteParse &p);
bool ReadSin2(TRemoteReader &r, TRemoteParse &p);
bool ReadMtts(TRemoteReader &r, TRemoteParse &p);
bool ReadRnd(TRemoteReader &r, TRemoteParse &p);
bool ReadMute(TRemoteReader &r, TRemoteParse &p);
bool ReadGenChange(TRemoteReader &r, TRemoteParse &p);
bool ReadBreak(TRemoteReader &r, TRemoteParse &p);
bool ReadNoise(TRemoteReader &r, TRemoteParse &p);
bool ReadMasterF(TRemoteReader &r, TRemoteParse &p);
bool ReadMasterL(TRemoteReader &r, TRemoteParse &p);
bool ReadPlug(TRemoteReader &r, TRemoteParse &p);
bool ReadChangeM9(TRemoteReader &r, TRemoteParse &p);
bool ReadRestartM9(TRemoteReader &r, TRemoteParse &p);
bool ReadGetResults(TRemoteReader &r, TRemoteParse &p);
bool ReadNothing(TRemoteReader &r, TRemoteParse &p);
bool ReadDontSupport(TRemoteReader &r, TRemoteParse &p);
bool ReadSendTxt(TRemoteReader &r, TRemoteParse &p);
bool ReadSync(TRemoteReader &r, TRemoteParse &p);

// A generator that starts at the peer's command joins the line: connection type 2 or 7 becomes 3 or 8
// with the meter at high impedance. True when the type changed.
bool AddGeneratorToLine();
// The reverse on a blocking command: 3 or 8 becomes 2 or 7.
bool RemoveGeneratorFromLine();

// When the peer has not paired with this analyser, entry 15 and the parse's not-supported flag are set;
// returns that flag.
bool RefuseUnpaired(TRemoteParse &p);

// How long the answer to a results request waits for the measurement in progress.
inline constexpr uint32_t ResultsRequestWaitMs = 2000;

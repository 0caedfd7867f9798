#pragma once

#include "state/GeneratorKind.h"

#include <cstdint>

struct GenBlock;

// The record of a local generator kind; null for a number that is no kind.
GenBlock *GeneratorBlock(int kind);
// The GenState of a local generator kind, and of the peer's (RemoteGenState, or RemoteNoiseState for NOISE).
int32_t LocalGenState(int kind);
void SetLocalGenState(int kind, int32_t state);
int32_t RemoteGenStateOf(int kind);
void SetRemoteGenState(int kind, int32_t state);

// The GenState of every local generator but `kind` becomes 0; the MTTS loop mode follows.
void SelectLocalGenerator(int kind);
// Every local generator off, the settings recomputed, and the generator block raised and issued.
void BlockAllGenerators();
// The peer's GenState of every kind but `kind` becomes 0.
void SelectRemoteGenerator(int kind);
// The peer acknowledged a record of type `recordType`: a generator record marks that generator of the
// peer as running and the others off; the connection-mode record (21) changes nothing; any other record
// (0 for a message without a marking record) marks the peer's generator block as running. The open
// settings window marks the button.
void HandleRemoteReceipt(int recordType);
// A running SYNC measurement counted all its pulses: its state becomes 3 (finished).
void MarkSyncFinished();

#pragma once

#include <cstdint>

// Streams of the recording whose data changed since the last recording step: 0x01 settings record
// (".set"), 0x02 ADC samples (".adc"), 0x04 meter frame with its event values (".rnd"), 0x08 the peer's
// last results block (".rem"), 0x10 settings-changed flag (carried by the next settings record),
// 0x20 selective result item (".sst"), 0x40 selective work state (".ast"), 0x80 SYNC results (".snc").
extern int32_t RecordChangeMask;

#pragma once

#include <cstdint>

// Streams of the recording whose data changed since the last recording step: 0x01 settings record,
// 0x02 ADC samples, 0x04 random-event counters, 0x08 norms block, 0x10 settings-changed flag,
// 0x20 SST scan record, 0x40 SST arrays, 0x80 SYNC counters.
extern int32_t RecordChangeMask;

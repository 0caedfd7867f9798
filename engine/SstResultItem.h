#pragma once

#include <cstddef>
#include <cstdint>

// The current selective result: built by the main window from every SST result and stored unchanged in
// recordings.
struct [[gnu::packed]] TSstResultItem {
    double Re = 0;
    double Im = 0;
    uint32_t FreqCode = 0;  // f / SampleRate x 2^32; 0 for an item without a frequency
    int32_t SstNotScan = 0; // 1 closes a measuring point's group
};

static_assert(sizeof(TSstResultItem) == 24);
static_assert(offsetof(TSstResultItem, FreqCode) == 16);
static_assert(offsetof(TSstResultItem, SstNotScan) == 20);

inline TSstResultItem SstResultItem;

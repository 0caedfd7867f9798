#include "engine/SyncMeasurement.h"

// Not measured yet: the SYNC rows keep the no-value sentinel.
void ProcessSyncBlock(int32_t /*fresh*/) {}

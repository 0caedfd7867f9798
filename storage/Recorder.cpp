#include "storage/Recorder.h"

int32_t RecordChangeMask = 0;

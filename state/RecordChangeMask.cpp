#include "state/RecordChangeMask.h"

int32_t RecordChangeMask = 0;

#include "storage/RecordTick.h"

// Will write the changed streams and their index record once the recorder's files exist.
void RecordTick() {}

#include "storage/RecordTick.h"

#include "link/connection/ConnectionServices.h"

// Will write the changed streams and their index record once the recorder's files exist.
void RecordTick() {}

void RegisterRecorder() {
    ConnectionServices().RecordTick = RecordTick;
}

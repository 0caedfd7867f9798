#include "link/connection/Tr9sendgetcommand.h"

bool CommandFailed = false;

bool ConnectionOpen() {
    return false;
}

// With no connection open, every raised bit stays pending.
void SendCommand() {}

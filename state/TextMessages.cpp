#include "state/TextMessages.h"

QString OutgoingTextMessage;
QString IncomingTextMessage;

void ClearTextMessages() {
    OutgoingTextMessage.clear();
    IncomingTextMessage.clear();
}

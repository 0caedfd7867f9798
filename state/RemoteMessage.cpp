#include "state/RemoteMessage.h"

TRemoteMessage RemoteMessage;

void ClearRemoteMessage(TRemoteMessage &message) {
    delete[] message.Message;
    delete[] message.Program;
    message = TRemoteMessage{};
}

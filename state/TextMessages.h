#pragma once

#include <QString>

// The texts of the chat between two analysers: the last one composed for sending (the remote link puts
// it into the message) and the last one received (the remote link's parser sets it; the text-message
// window shows it once and empties it). Both are emptied at every Start and Stop.
extern QString OutgoingTextMessage;
extern QString IncomingTextMessage;

void ClearTextMessages();

#pragma once

#include "settings/remote/RemoteMessageParts.h"

#include <cstdint>

// Turns one item code of a code list into the message being built: a record type writes its record
// (the marking records also put their type into header byte 0), a program code goes to the message's
// program, any other code does nothing. A record that cannot be built for want of memory is left out
// after the out-of-memory message; the message goes on with the next item.
void EncodeRemoteItem(uint8_t code, TRemoteOutgoing &message);

// A message received from the peer, `length` bytes from the header on: each record is applied to this
// analyser, and the reply (program codes this side runs, and the records that travel back) goes out as
// a message of its own. Every incoming message first stops a running master.
void ParseRemoteMessage(const uint8_t *data, int32_t length);

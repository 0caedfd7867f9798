#pragma once

#include <cstdint>

// The one outgoing message of the remote link between two analysers, with the local program of one-byte
// action codes that runs after the message or its receipt.
struct TRemoteMessage {
    int32_t Size = 0;
    uint8_t *Message = nullptr;
    uint8_t *Program = nullptr;
    int16_t ProgramCount = 0;
    int16_t ProgramPosition = 0;
    // What the peer did not support, as the parse that made this message (a reply) found it; the
    // program's "not supported" code reports it.
    uint8_t UnsupportedModes[16] = {};
};

extern TRemoteMessage RemoteMessage;

// Frees the message bytes and the program codes and zeroes the counts.
void ClearRemoteMessage(TRemoteMessage &message);

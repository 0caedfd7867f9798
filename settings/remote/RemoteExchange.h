#pragma once

#include "settings/remote/RemoteMessageParts.h"

#include <cstdint>
#include <vector>

// The exchange with the peer analyser. A code list becomes a message for the peer and a program this
// side runs once the message is done. One message is on the line at a time (RemoteMessage, with its own
// program); the others wait in order, each with its own program, so a reply built while a message is on
// its way never takes another message's program.

// Builds the message of a code list and sends it, or, when it holds no record, runs its program at
// once. False when the message is longer than 16000 words: the size message is shown and nothing is
// sent or run. `unsupported` are the flags the program's code 41 reports (those of the parse that made
// the reply).
bool SendRemoteMessage(const std::vector<uint8_t> &codes, const TUnsupportedModes &unsupported = {});

// The next waiting message goes out when none is on the line.
void SendQueuedRemoteMessage();
// The instrument reported the end of the transmission (the main window's DspMesOutFin): the receipt
// marks the peer's generator, a pairing on its way is established or failed, then the message's program
// runs and the next waiting message goes out.
void EndRemoteTransmission(bool success, int receipt);
// A message from the peer could not be received (DspMesInpErr): a pairing on its way fails and the
// peer's generator block is taken as running. A message of this side that still waits for SendCommand
// keeps waiting and goes out with the command that follows.
void RemoteMessageFailed();
// A message from the peer arrived (DspMesInp): the pending-message bit is cleared, except while this
// side's own message still waits for SendCommand, and the message is parsed.
void RemoteMessageArrived(const uint8_t *data, int32_t length);
// Runs the program of the message on the line (also when it is empty), then issues what it raised.
void RunOwnProgram();
// The message on the line was aborted: it and the waiting ones are dropped, their programs not run.
void DropRemoteMessages();
// Before the link is broken by this side (Stop, reopening the instrument, a changed parameter, a
// configuration load): the message on its way is aborted at the instrument and dropped with the waiting
// ones, so that the break goes out at once.
void AbortRemoteMessages();

// Ends the remote link from either side: the peer receives Break_R, this side runs code 6 after the
// transmission. Nothing while no link is up.
void BreakRemoteConnection();

// Whether the connection type allows a peer at the line's other end (2 to 9, not 6).
bool IsRemoteLinkAvailable();

// "Установить соединение": this side becomes the active one and sends the pairing list (Sync, the
// generator and meter settings, the parameter settings with masks, the connection type).
void ConnectRemote();

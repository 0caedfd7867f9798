#pragma once

#include <cstdint>
#include <functional>

// Which generator state a configuration stores for this analyser and for the peer, and whether it asks
// for a connection to the peer. SaveConfiguration computes the three values from the current settings;
// the generator-state dialog lets the user change them before the file is written.
//
// StateCfgLocal: 0..5 SIN, SIN2, PRBS, MTTS, NOISE, the block; 6, 7 the frequency master with SIN or
// blocked; 8, 9 the level master likewise; 10, 11 the selective run with SIN or blocked; 12 a SYNC run.
// StateCfgRemote: 0..9 the same for the peer (generators and masters). StateCfgConnect: 0 or 1.
extern int32_t StateCfgLocal;
extern int32_t StateCfgRemote;
extern int32_t StateCfgConnect;

struct TStateCfgChoice {
    int32_t Local;
    int32_t Remote;
    int32_t Connect;
};

// Whether this connection type lets a remote link be opened, which decides whether the dialog offers the
// peer's column. The settings services register it at start; while none is registered there is no link.
extern std::function<bool()> StateCfgRemoteLinkAvailable;

// Shows the generator-state dialog modally over the active window, preselected from the three values,
// and returns them as the dialog wrote them back. While batch control runs no window may open: the
// values are returned unchanged.
TStateCfgChoice ShowStateCfgDialog();

// Who answers the dialog in place of a user (tests): when set, the dialog is shown without a modal loop
// and handed to it, which presses its buttons.
class TForm_StateCfg;
extern std::function<void(TForm_StateCfg &dialog)> StateCfgDialogAnswer;

#pragma once

// Asked before a measurement parameter changes. During playback the results are recomputed; with an
// established remote link of this side the user is asked whether to break it (false when refused); else
// the change is announced to the instrument (Mode bit 0x100) unless a selective run is active. True when
// the change may go ahead.
bool WarnRemoteParamChange();

// The longest wait for the peer to end the link, ms; the change goes ahead after it in any case.
inline constexpr unsigned RemoteDisconnectWaitMs = 45000;

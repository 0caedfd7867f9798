#pragma once

#include <cstdint>

// Waits inside the instrument commands (a transmit slot, a relay settling, the register bridge's INT)
// keep the windows painted without letting in anything that could start another command halfway through
// this one: a pass serves window-system and posted events, but user input and timers stay queued, and
// the link's messages are held until the outermost HeldLinkMessages scope ends. So a click, a timer tick
// or a received block that arrives meanwhile is handled after the command, in the order it came.

// While one lives, link messages that a pass meets wait; the outermost one posts them again on leaving.
class HeldLinkMessages {
public:
    HeldLinkMessages();
    ~HeldLinkMessages();
    HeldLinkMessages(const HeldLinkMessages &) = delete;
    HeldLinkMessages &operator=(const HeldLinkMessages &) = delete;
};

// True while a HeldLinkMessages scope lives (the hidden windows ask).
bool LinkMessagesHeld();

// One pass over the main thread's pending events as above; from another thread it does nothing.
void ServeWindows();
// Waits `ms` in passes 1 ms apart.
void WaitServingWindows(std::uint32_t ms);

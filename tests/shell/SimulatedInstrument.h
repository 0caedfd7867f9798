#pragma once

#include "platform/usb/UsbPort.h"
#include "sim/UsbPortSim.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <functional>

// The program's process port is the simulated instrument (the sim test programs link the simulator whole).
inline SimInstrument &Instrument() {
    setenv("R9_USB_BACKEND", "sim", 1);
    return dynamic_cast<UsbPortSim &>(ProcessUsbPort()).Instrument();
}

// Serves the main thread's events until done() holds; false after the given seconds.
inline bool WaitFor(const std::function<bool()> &done, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
    }
    return true;
}

#include "platform/usb/UsbPort.h"
#include "platform/usb/UsbPortFtdi.h"
#include "sim/UsbPortSim.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(UsbPortFactory, SimSelectsTheSimulatorAndEverythingElseLibftdi) {
    EXPECT_NE(dynamic_cast<UsbPortSim *>(CreateUsbPort("sim").get()), nullptr);
    for (const char *name : {static_cast<const char *>(nullptr), "", "ftdi", "SIM", "sim "})
        EXPECT_NE(dynamic_cast<UsbPortFtdi *>(CreateUsbPort(name).get()), nullptr) << (name ? name : "(unset)");
}

TEST(UsbPortFactory, TheProcessPortIsChosenOnceFromTheEnvironment) {
    setenv("R9_USB_BACKEND", "sim", 1);
    UsbPort &first = ProcessUsbPort();
    setenv("R9_USB_BACKEND", "", 1);
    EXPECT_EQ(&ProcessUsbPort(), &first);
    EXPECT_NE(dynamic_cast<UsbPortSim *>(&first), nullptr);
    unsetenv("R9_USB_BACKEND");
}

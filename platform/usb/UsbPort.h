#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The instrument's two-channel USB converter as the link code sees it: one call per driver operation
// the link relies on, each returning 0 on success or one of the driver's status numbers below.
// Handles are opaque; 0 is never a valid handle.
using UsbHandle = std::uint32_t;

enum UsbStatus : int {
    UsbOk = 0,
    UsbInvalidHandle = 1,
    UsbDeviceNotFound = 2,
    UsbDeviceNotOpened = 3,
    UsbIoError = 4,
    UsbInsufficientResources = 5,
    UsbInvalidParameter = 6,
    UsbInvalidBaudRate = 7,
    UsbOtherError = 18,
};

// Bit 0 of a node's flags: the channel is open (by this or another program).
constexpr std::uint32_t UsbNodeOpened = 0x1;

// Modem status: the low byte holds the modem lines, the next byte the line status.
constexpr std::uint32_t UsbModemCts = 0x10;
constexpr std::uint32_t UsbModemDsr = 0x20;
constexpr std::uint32_t UsbLineTransmitterEmpty = 0x4000;

// Purge masks and the bit mode the link uses.
constexpr std::uint32_t UsbPurgeRx = 1;
constexpr std::uint32_t UsbPurgeTx = 2;
constexpr std::uint8_t UsbBitModeReset = 0;
constexpr std::uint8_t UsbBitModeMpsse = 2;

// One device-list node: one channel of a device.
struct UsbDeviceNode {
    std::uint32_t flags = 0;
    std::uint32_t type = 0;
    std::uint32_t id = 0; // vendor id in the high word, product id in the low word
    std::uint32_t location = 0;
    std::string serial;
    std::string description;
};

class UsbPort {
public:
    virtual ~UsbPort() = default;

    // Takes a new snapshot of the attached devices; GetDeviceList returns that snapshot.
    virtual int CreateDeviceList(std::uint32_t &count) = 0;
    virtual int GetDeviceList(std::vector<UsbDeviceNode> &nodes) = 0;
    virtual int OpenByLocation(std::uint32_t location, UsbHandle &handle) = 0;
    virtual int ResetDevice(UsbHandle handle) = 0;
    virtual int Purge(UsbHandle handle, std::uint32_t mask) = 0;
    virtual int SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) = 0;
    virtual int SetBaudRate(UsbHandle handle, std::uint32_t baud) = 0;
    virtual int SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                       std::uint8_t parity) = 0;
    virtual int SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) = 0;
    virtual int SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual int SetLatencyTimer(UsbHandle handle, std::uint8_t ms) = 0;
    virtual int SetDtr(UsbHandle handle) = 0;
    virtual int ClrDtr(UsbHandle handle) = 0;
    virtual int SetRts(UsbHandle handle) = 0;
    virtual int ClrRts(UsbHandle handle) = 0;
    virtual int GetModemStatus(UsbHandle handle, std::uint32_t &status) = 0;
    virtual int GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) = 0;
    virtual int GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                          std::uint32_t &eventStatus) = 0;
    // Returns at most `count` bytes: what is waiting, or what arrives within the read time-out.
    virtual int Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) = 0;
    virtual int Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) = 0;
    virtual int Close(UsbHandle handle) = 0;
};

// Backends register a creator under a name; R9_USB_BACKEND picks one by name once per process, and
// libftdi1 (the real instrument) serves when it is unset or names no registered backend.
using UsbPortCreator = std::unique_ptr<UsbPort> (*)();
bool RegisterUsbBackend(const char *name, UsbPortCreator creator);

// The backend that `name` selects ("sim" for the simulated instrument); null or any other name: libftdi1.
std::unique_ptr<UsbPort> CreateUsbPort(const char *name);

// The process's port, created on first use from R9_USB_BACKEND.
UsbPort &ProcessUsbPort();

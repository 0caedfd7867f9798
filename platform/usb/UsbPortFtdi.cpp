#include "platform/usb/UsbPortFtdi.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <deque>

namespace {

// The chip answers every bulk read within its latency timer, so a USB read never needs to wait longer
// than this for the read to return what is there.
constexpr int UsbReadTimeoutMs = 100;
constexpr int DefaultWriteTimeoutMs = 5000;
// A channel that was given no time-outs (channel A) waits for the whole reply, as the original driver
// does, but not for ever.
constexpr std::uint32_t DefaultReadTimeoutMs = 5000;
// Our receive buffer stops taking bytes from the chip beyond this, so the chip holds the sender back.
constexpr std::size_t ReceiveBufferLimit = 65536;
constexpr int ChunkSize = 4096;

struct ContextDeleter {
    void operator()(ftdi_context *context) const { ftdi_free(context); }
};
using ContextPtr = std::unique_ptr<ftdi_context, ContextDeleter>;

std::vector<std::uint8_t> PortPath(libusb_device *device) {
    std::uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, int(sizeof ports));
    return depth > 0 ? std::vector<std::uint8_t>(ports, ports + depth) : std::vector<std::uint8_t>();
}

int InterfaceCount(libusb_device *device) {
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_config_descriptor(device, 0, &config) != 0 || !config)
        return 1;
    const int count = config->bNumInterfaces;
    libusb_free_config_descriptor(config);
    return std::max(count, 1);
}

// A channel counts as busy when its interface cannot be claimed; a kernel serial driver bound to it is
// detached for the probe and attached again afterwards, since opening would detach it anyway.
bool ClaimFails(libusb_device *device, int interfaceNumber) {
    libusb_device_handle *handle = nullptr;
    if (libusb_open(device, &handle) != 0)
        return true;
    libusb_set_auto_detach_kernel_driver(handle, 1);
    const bool fails = libusb_claim_interface(handle, interfaceNumber) != 0;
    if (!fails)
        libusb_release_interface(handle, interfaceNumber);
    libusb_close(handle);
    return fails;
}

// Calls visit(device) for every converter libftdi1 finds in `context`; false when the search failed.
template <typename Visit> bool ForEachDevice(ftdi_context *context, Visit visit) {
    ftdi_device_list *list = nullptr;
    if (ftdi_usb_find_all(context, &list, 0, 0) < 0)
        return false;
    for (ftdi_device_list *entry = list; entry; entry = entry->next)
        visit(entry->dev);
    ftdi_list_free(&list);
    return true;
}

int Result(int libftdiResult) {
    return libftdiResult < 0 ? UsbIoError : UsbOk;
}

} // namespace

struct UsbPortFtdi::Channel {
    ContextPtr context;
    std::uint32_t location = 0;
    std::uint32_t readTimeoutMs = DefaultReadTimeoutMs;
    std::deque<std::uint8_t> received;
};

UsbPortFtdi::UsbPortFtdi() = default;

UsbPortFtdi::~UsbPortFtdi() {
    for (auto &entry : channels_)
        ftdi_usb_close(entry.second->context.get());
}

UsbPortFtdi::Channel *UsbPortFtdi::Find(UsbHandle handle) {
    std::lock_guard lock(mutex_);
    const auto it = channels_.find(handle);
    return it == channels_.end() ? nullptr : it->second.get();
}

bool UsbPortFtdi::OpenHere(std::uint32_t location) {
    for (const auto &entry : channels_)
        if (entry.second->location == location)
            return true;
    return false;
}

int UsbPortFtdi::CreateDeviceList(std::uint32_t &count) {
    count = 0;
    ContextPtr context(ftdi_new());
    if (!context)
        return UsbInsufficientResources;
    std::vector<ListedDevice> found;
    const bool searched = ForEachDevice(context.get(), [&](libusb_device *device) {
        libusb_device_descriptor descriptor{};
        if (libusb_get_device_descriptor(device, &descriptor) != 0)
            return;
        ListedDevice listed;
        FtdiDeviceInfo &info = listed.info;
        info.bus = libusb_get_bus_number(device);
        info.ports = PortPath(device);
        info.vendor = descriptor.idVendor;
        info.product = descriptor.idProduct;
        info.release = descriptor.bcdDevice;
        info.channels = InterfaceCount(device);
        char description[64] = {};
        char serial[16] = {};
        ftdi_usb_get_strings(context.get(), device, nullptr, 0, description, int(sizeof description), serial,
                             int(sizeof serial));
        info.description = description;
        info.serial = serial;
        listed.location = FtdiLocation(info.bus, info.ports);
        for (int channel = 0; channel < info.channels; ++channel) {
            bool openHere;
            {
                std::lock_guard lock(mutex_);
                openHere = OpenHere(listed.location + std::uint32_t(channel));
            }
            info.busy.push_back(openHere || ClaimFails(device, channel));
        }
        found.push_back(std::move(listed));
    });
    if (!searched)
        return UsbOtherError;
    std::vector<FtdiDeviceInfo> infos;
    for (const ListedDevice &listed : found)
        infos.push_back(listed.info);
    count = std::uint32_t(FtdiDeviceNodes(infos).size());
    std::lock_guard lock(mutex_);
    listed_ = std::move(found);
    listTaken_ = true;
    return UsbOk;
}

int UsbPortFtdi::GetDeviceList(std::vector<UsbDeviceNode> &nodes) {
    bool taken;
    {
        std::lock_guard lock(mutex_);
        taken = listTaken_;
    }
    std::uint32_t count = 0;
    if (!taken) {
        if (const int status = CreateDeviceList(count); status != UsbOk)
            return status;
    }
    std::lock_guard lock(mutex_);
    std::vector<FtdiDeviceInfo> infos;
    for (const ListedDevice &listed : listed_)
        infos.push_back(listed.info);
    nodes = FtdiDeviceNodes(infos);
    return UsbOk;
}

int UsbPortFtdi::OpenByLocation(std::uint32_t location, UsbHandle &handle) {
    handle = 0;
    FtdiDeviceInfo target;
    int channel = -1;
    {
        std::lock_guard lock(mutex_);
        for (const ListedDevice &listed : listed_)
            if (location >= listed.location && location < listed.location + std::uint32_t(listed.info.channels)) {
                target = listed.info;
                channel = int(location - listed.location);
            }
    }
    if (channel < 0)
        return UsbDeviceNotFound;

    ContextPtr context(ftdi_new());
    if (!context)
        return UsbInsufficientResources;
    if (ftdi_set_interface(context.get(), ftdi_interface(INTERFACE_A + channel)) < 0)
        return UsbDeviceNotOpened;
    // The device must be found again in this context's own libusb session.
    libusb_device *match = nullptr;
    int opened = -1;
    ForEachDevice(context.get(), [&](libusb_device *device) {
        if (!match && libusb_get_bus_number(device) == target.bus && PortPath(device) == target.ports) {
            match = device;
            opened = ftdi_usb_open_dev(context.get(), device);
        }
    });
    if (!match)
        return UsbDeviceNotFound;
    if (opened < 0)
        return UsbDeviceNotOpened;
    context->usb_read_timeout = UsbReadTimeoutMs;
    context->usb_write_timeout = DefaultWriteTimeoutMs;

    auto open = std::make_unique<Channel>();
    open->context = std::move(context);
    open->location = location;
    std::lock_guard lock(mutex_);
    handle = nextHandle_++;
    if (nextHandle_ == 0)
        nextHandle_ = 1;
    channels_[handle] = std::move(open);
    return UsbOk;
}

int UsbPortFtdi::Fill(Channel &channel) {
    std::uint8_t chunk[ChunkSize];
    while (channel.received.size() + ChunkSize <= ReceiveBufferLimit) {
        const int got = ftdi_read_data(channel.context.get(), chunk, ChunkSize);
        if (got < 0)
            return UsbIoError;
        channel.received.insert(channel.received.end(), chunk, chunk + got);
        if (got < ChunkSize)
            break;
    }
    return UsbOk;
}

int UsbPortFtdi::ResetDevice(UsbHandle handle) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    channel->received.clear();
    return Result(ftdi_usb_reset(channel->context.get()));
}

int UsbPortFtdi::Purge(UsbHandle handle, std::uint32_t mask) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    if (mask & UsbPurgeRx) {
        channel->received.clear();
        if (ftdi_tciflush(channel->context.get()) < 0)
            return UsbIoError;
    }
    if ((mask & UsbPurgeTx) && ftdi_tcoflush(channel->context.get()) < 0)
        return UsbIoError;
    return UsbOk;
}

int UsbPortFtdi::SetBitMode(UsbHandle handle, std::uint8_t mask, std::uint8_t mode) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    return Result(ftdi_set_bitmode(channel->context.get(), mask, mode));
}

int UsbPortFtdi::SetBaudRate(UsbHandle handle, std::uint32_t baud) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    if (baud == 0 || baud > 12000000)
        return UsbInvalidBaudRate;
    const int result = ftdi_set_baudrate(channel->context.get(), int(baud));
    return result == -1 ? UsbInvalidBaudRate : Result(result);
}

int UsbPortFtdi::SetDataCharacteristics(UsbHandle handle, std::uint8_t bits, std::uint8_t stopBits,
                                        std::uint8_t parity) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    if ((bits != 7 && bits != 8) || stopBits > 2 || parity > 4)
        return UsbInvalidParameter;
    // The driver's stop-bit (0 one, 1 one and a half, 2 two) and parity (none, odd, even, mark, space)
    // numbers are libftdi1's enumerators.
    return Result(ftdi_set_line_property(channel->context.get(), bits == 7 ? BITS_7 : BITS_8,
                                         ftdi_stopbits_type(stopBits), ftdi_parity_type(parity)));
}

int UsbPortFtdi::SetFlowControl(UsbHandle handle, std::uint16_t mode, std::uint8_t xon, std::uint8_t xoff) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    if (mode == SIO_XON_XOFF_HS)
        return Result(ftdi_setflowctrl_xonxoff(channel->context.get(), xon, xoff));
    if (mode != SIO_DISABLE_FLOW_CTRL && mode != SIO_RTS_CTS_HS && mode != SIO_DTR_DSR_HS)
        return UsbInvalidParameter;
    return Result(ftdi_setflowctrl(channel->context.get(), mode));
}

int UsbPortFtdi::SetTimeouts(UsbHandle handle, std::uint32_t readMs, std::uint32_t writeMs) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    channel->readTimeoutMs = readMs;
    // libusb waits for ever on 0.
    channel->context->usb_read_timeout = int(std::clamp<std::uint32_t>(readMs, UsbReadTimeoutMs, 60000));
    channel->context->usb_write_timeout =
        writeMs == 0 ? DefaultWriteTimeoutMs : int(std::min<std::uint32_t>(writeMs, 60000));
    return UsbOk;
}

int UsbPortFtdi::SetLatencyTimer(UsbHandle handle, std::uint8_t ms) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    if (ms == 0)
        return UsbInvalidParameter;
    return Result(ftdi_set_latency_timer(channel->context.get(), ms));
}

int UsbPortFtdi::SetDtr(UsbHandle handle) {
    Channel *channel = Find(handle);
    return channel ? Result(ftdi_setdtr(channel->context.get(), 1)) : UsbInvalidHandle;
}

int UsbPortFtdi::ClrDtr(UsbHandle handle) {
    Channel *channel = Find(handle);
    return channel ? Result(ftdi_setdtr(channel->context.get(), 0)) : UsbInvalidHandle;
}

int UsbPortFtdi::SetRts(UsbHandle handle) {
    Channel *channel = Find(handle);
    return channel ? Result(ftdi_setrts(channel->context.get(), 1)) : UsbInvalidHandle;
}

int UsbPortFtdi::ClrRts(UsbHandle handle) {
    Channel *channel = Find(handle);
    return channel ? Result(ftdi_setrts(channel->context.get(), 0)) : UsbInvalidHandle;
}

int UsbPortFtdi::GetModemStatus(UsbHandle handle, std::uint32_t &status) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    unsigned short value = 0;
    if (ftdi_poll_modem_status(channel->context.get(), &value) < 0)
        return UsbIoError;
    // The low nibble of the modem byte is reserved by the chip.
    status = value & 0xFFF0u;
    return UsbOk;
}

int UsbPortFtdi::GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) {
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    const int status = Fill(*channel);
    rxBytes = std::uint32_t(channel->received.size());
    return status;
}

int UsbPortFtdi::GetStatus(UsbHandle handle, std::uint32_t &rxBytes, std::uint32_t &txBytes,
                           std::uint32_t &eventStatus) {
    eventStatus = 0;
    std::uint32_t modem = 0;
    if (const int status = GetModemStatus(handle, modem); status != UsbOk)
        return status;
    txBytes = (modem & UsbLineTransmitterEmpty) ? 0 : 1;
    return GetQueueStatus(handle, rxBytes);
}

int UsbPortFtdi::Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) {
    read = 0;
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(channel->readTimeoutMs);
    for (;;) {
        const std::uint32_t take = std::min<std::uint32_t>(count - read, std::uint32_t(channel->received.size()));
        std::copy_n(channel->received.begin(), take, buffer + read);
        channel->received.erase(channel->received.begin(), channel->received.begin() + take);
        read += take;
        if (read == count)
            return UsbOk;
        if (const int status = Fill(*channel); status != UsbOk)
            return status;
        if (channel->received.empty() && std::chrono::steady_clock::now() >= deadline)
            return UsbOk;
    }
}

int UsbPortFtdi::Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) {
    written = 0;
    Channel *channel = Find(handle);
    if (!channel)
        return UsbInvalidHandle;
    const int result = ftdi_write_data(channel->context.get(), buffer, int(count));
    if (result < 0)
        return UsbIoError;
    written = std::uint32_t(result);
    return UsbOk;
}

int UsbPortFtdi::Close(UsbHandle handle) {
    std::unique_ptr<Channel> channel;
    {
        std::lock_guard lock(mutex_);
        const auto it = channels_.find(handle);
        if (it == channels_.end())
            return UsbInvalidHandle;
        channel = std::move(it->second);
        channels_.erase(it);
    }
    return Result(ftdi_usb_close(channel->context.get()));
}

#include "LinkTestPorts.h"

#include "platform/Clock.h"

#include <QCoreApplication>
#include <QFile>

#include <thread>

void FilterPort::DropFromInstrument(std::function<bool(const SimFrame &)> drop) {
    std::lock_guard lock(mutex_);
    drop_ = std::move(drop);
}

void FilterPort::DropToInstrument(std::function<bool(const SimFrame &)> drop) {
    std::lock_guard lock(mutex_);
    dropOut_ = std::move(drop);
    outDecoder_.Reset();
}

std::vector<std::uint8_t> FilterPort::WrittenB() {
    std::lock_guard lock(mutex_);
    return writtenB_;
}

std::vector<std::uint32_t> FilterPort::OpenedLocations() {
    std::lock_guard lock(mutex_);
    return opened_;
}

int FilterPort::OpenByLocation(std::uint32_t location, UsbHandle &handle) {
    const int status = UsbPortRelay::OpenByLocation(location, handle);
    std::lock_guard lock(mutex_);
    if (status == UsbOk)
        opened_.push_back(location);
    if (status == UsbOk && (location & 1) == 0)
        handleB_ = handle;
    return status;
}

int FilterPort::Write(UsbHandle handle, const std::uint8_t *buffer, std::uint32_t count, std::uint32_t &written) {
    std::unique_lock lock(mutex_);
    if (handle == handleB_ && dropOut_) {
        bool drop = false;
        for (std::uint32_t i = 0; i < count; ++i)
            if (outDecoder_.Feed(buffer[i]) == SimFrameDecoder::Result::Frame)
                drop = dropOut_(outDecoder_.Frame());
        if (drop) {
            written = count;
            return UsbOk;
        }
    }
    lock.unlock();
    const int status = UsbPortRelay::Write(handle, buffer, count, written);
    lock.lock();
    if (handle == handleB_ && status == UsbOk)
        writtenB_.insert(writtenB_.end(), buffer, buffer + written);
    return status;
}

// Moves what the instrument sent into the released bytes, holding back a frame until it is complete.
int FilterPort::Pull(UsbHandle handle) {
    std::uint32_t waiting = 0;
    int status = UsbPortRelay::GetQueueStatus(handle, waiting);
    if (status != UsbOk || waiting == 0)
        return status;
    std::vector<std::uint8_t> bytes(waiting);
    std::uint32_t read = 0;
    status = UsbPortRelay::Read(handle, bytes.data(), waiting, read);
    if (status != UsbOk)
        return status;
    for (std::uint32_t i = 0; i < read; ++i) {
        const std::uint8_t byte = bytes[i];
        if (byte == SimStartByte) {
            released_.insert(released_.end(), frame_.begin(), frame_.end());
            frame_.clear();
            inFrame_ = true;
        }
        const SimFrameDecoder::Result result = decoder_.Feed(byte);
        if (!inFrame_) {
            released_.push_back(byte);
            continue;
        }
        frame_.push_back(byte);
        if (result == SimFrameDecoder::Result::None)
            continue;
        if (!(result == SimFrameDecoder::Result::Frame && drop_ && drop_(decoder_.Frame())))
            released_.insert(released_.end(), frame_.begin(), frame_.end());
        frame_.clear();
        inFrame_ = false;
    }
    return UsbOk;
}

int FilterPort::GetQueueStatus(UsbHandle handle, std::uint32_t &rxBytes) {
    std::lock_guard lock(mutex_);
    if (handle != handleB_)
        return UsbPortRelay::GetQueueStatus(handle, rxBytes);
    const int status = Pull(handle);
    rxBytes = std::uint32_t(released_.size());
    return status;
}

int FilterPort::Read(UsbHandle handle, std::uint8_t *buffer, std::uint32_t count, std::uint32_t &read) {
    std::lock_guard lock(mutex_);
    if (handle != handleB_)
        return UsbPortRelay::Read(handle, buffer, count, read);
    const int status = Pull(handle);
    read = 0;
    while (read < count && !released_.empty()) {
        buffer[read++] = released_.front();
        released_.pop_front();
    }
    return status;
}

std::shared_ptr<SimInstrument> InstrumentOnTicks(SimConfig config) {
    return std::make_shared<SimInstrument>(std::move(config), [] { return GetTickCount(); });
}

SimRig::SimRig(SimConfig config) : Instrument(InstrumentOnTicks(std::move(config))), Sim(Instrument), Port(Sim) {}

FirmwareFolder::FirmwareFolder(const QByteArray &text) : file(Write("r9_307.i00", text)) {}

QString FirmwareFolder::Write(const QString &name, const QByteArray &text) const {
    const QString path = dir.path() + '/' + name;
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(text);
    return path;
}

QByteArray FirmwareFolder::SmallProgram() {
    return ":0400100012345678D8\r\n:00000001FF\r\n";
}

bool WaitUntil(const std::function<bool()> &step, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!step()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
        std::this_thread::yield();
    }
    return true;
}

#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// COM port numbers as the program counts them (1 to 64) map to Linux devices through one table:
// COM 1-32 /dev/ttyS0-31, 33-48 /dev/ttyUSB0-15, 49-64 /dev/ttyACM0-15. Tests point a number at a
// pseudo-terminal with SetComPortDevice; an empty path restores the table's device.
constexpr int MaxComPort = 64;
QString ComPortDevice(int port);
void SetComPortDevice(int port, const QString &device);

struct ModemLines {
    bool Dsr = false;
    bool Cts = false;
};

// One serial port, opened exclusively (a second open of the same device, by us or another program that
// locks it the same way, fails), raw and non-blocking. A port without modem lines (a pseudo-terminal)
// reads DSR and CTS as on and says so through HasModemLines, so that waits for a line to drop are skipped.
// The modem-line calls are virtual: tests give a port its lines.
class SerialPort {
public:
    SerialPort() = default;
    virtual ~SerialPort();
    SerialPort(const SerialPort &) = delete;
    SerialPort &operator=(const SerialPort &) = delete;

    bool Open(int port);
    bool IsOpen() const { return fd_ >= 0; }
    void Close();
    // 8 data bits, no parity, 1 stop bit, no flow control, raw bytes, DTR and RTS on.
    bool Configure(std::uint32_t baudRate);
    // At most `size` bytes that wait, at once: the count, 0 when none waits, -1 when the read failed.
    int Read(std::uint8_t *data, std::size_t size);
    // The whole buffer, waiting at most `timeoutMs` for room; false when not all of it went out.
    bool Write(const std::uint8_t *data, std::size_t size, std::uint32_t timeoutMs = 1000);
    // Waits until what was written has left.
    bool Flush();
    // False when the lines cannot be read.
    virtual bool GetModemLines(ModemLines &lines);
    virtual bool HasModemLines();

private:
    int fd_ = -1;
};

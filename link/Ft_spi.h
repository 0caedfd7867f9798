#pragma once

#include "platform/usb/UsbPort.h"

#include <QString>

#include <cstdint>
#include <vector>

// The register channel: the instrument's supply, battery, temperature and output-stage registers sit in
// two I2C chips that the program reaches through an SPI-to-I2C bridge on the GPIO and SPI lines of USB
// channel A (in MPSSE mode, opened by the transport). Low GPIO byte: bit 0 SPI clock, 1 data out, 2 data
// in, 3 bridge chip select (low selects), 4 bridge reset (low resets), 5 bridge INT (input, low when a
// transaction finished), 6 BC bus select, 7 held low.
//
// Main thread only. A transaction's waits keep the windows painted but hold back user input, timers and
// the link's messages until it ends, so that a register access started by a timer or a received packet
// runs after it. A call that still finds one running (re-entered from below the port) fails at once with
// LastError set and touches nothing.
class TFT_SPI {
public:
    static constexpr std::uint8_t MainBoardChip = 0x5D; // "C9-A9" in messages, always reachable
    static constexpr std::uint8_t BcBoardChip = 0x61;   // reachable only while the BC bus is selected
    static constexpr int MaxCount = 64;                 // bytes of one register read
    static constexpr std::uint32_t WaitMs = 5000;
    static constexpr std::uint32_t BusSelectMs = 700;
    static constexpr std::uint32_t ReplyTimeout = UsbOtherError;

    // Sets the SPI clock, resets and initialises the bridge. A null port takes the process's port.
    explicit TFT_SPI(UsbHandle handle, UsbPort *port = nullptr);
    // Switches the BC board's register 40 and the main board's register 0 off.
    ~TFT_SPI();
    TFT_SPI(const TFT_SPI &) = delete;
    TFT_SPI &operator=(const TFT_SPI &) = delete;

    // Every step of the construction reached the bridge.
    bool Initialised() const { return initialised_; }

    // I2C write of {register, value}.
    bool WriteReg(int reg, int chip, int value);
    // I2C write of {register}, then I2C read of `count` (1 to MaxCount) bytes, each zero-extended into one
    // element of `out`. A failed read leaves `out` untouched.
    bool ReadRegs(int reg, int chip, int count, std::int32_t *out);
    // Selects or deselects the BC bus, then lets it settle for 700 ms.
    bool SelectBusBC(bool on);

    std::uint8_t Busy = 0; // a transaction runs
    UsbHandle Handle = 0;  // channel A
    std::uint32_t EventStatus = 0, RxCount = 0, TxCount = 0, BytesRead = 0, BytesWritten = 0;
    std::uint32_t GpioHighValue = 0;
    std::int32_t CmdLength = 0;    // bytes assembled in the command buffer
    std::uint32_t GpioLowBase = 3; // clock and data idle high; 0 while the bridge is reset
    std::uint8_t LastResult = 0;   // last I2C transaction: 0 success, bridge status 1 to 15, 255 no status
    std::uint32_t DriverStatus = 0;
    std::uint8_t IntTimeout = 0; // the last wait for INT or for reply bytes timed out
    std::int32_t BusBC = 0;      // 0x40 while the BC bus is selected
    QString LastError;           // text of the last failed access, empty after a success

private:
    enum class IntLine { Low, High, NoReply };

    void Put(std::initializer_list<std::uint8_t> bytes);
    bool Flush();
    void Select();
    bool Deselect();
    void ClockOut(const std::uint8_t *data, std::size_t count);
    void ClockIn(std::size_t count);
    int Collect(std::size_t count);
    bool WriteBridgeRegister(std::uint8_t reg, std::uint8_t value);
    bool ReadBridgeRegister(std::uint8_t reg, std::uint8_t &value);
    IntLine WaitInt();
    int CheckI2cResult(int chip, int reg);
    bool I2cWrite(int chip, const std::uint8_t *bytes, std::size_t count);
    bool I2cRead(int chip, std::size_t count, int reg, std::uint8_t *data);
    bool Enter(int chip, int reg);
    void Fail(int chip, int reg, const QString &detail);

    UsbPort &port_;
    std::vector<std::uint8_t> ReadBuffer;
    std::vector<std::uint8_t> CmdBuffer;
    std::uint8_t Reply[64] = {};
    bool initialised_ = false;
};

// The register channel of the open connection, or null.
extern TFT_SPI *FtSpi;

// Shows the last register-channel error, if any: a warning box captioned "Ошибка!", or in batch mode a
// line of the batch log.
void ShowI2CError();

// Board versions from the identification registers: (low nibble of the first byte) x 100 + second byte.
// A board whose identification could not be read keeps the value it had.
struct BoardVersions {
    std::uint16_t mainBoard = 0;
    std::uint16_t bcBoard = 0;
};

// The board check right after opening: the main board must report identifier 6 and the BC board 7.
// A mismatch puts its text into `text` and fails, except in the service mode, where only the text is left.
// Clears BcStatus and restarts the alternation of the power readings.
bool CheckBoardIds(QString &text, bool serviceMode, BoardVersions &versions);

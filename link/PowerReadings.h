#pragma once

#include <cstdint>

// Set from the BC board's overheat register (chip 0x61 register 120, non-zero = 1).
extern std::uint8_t BcStatus;

// Fills the 14 rows of PowerState with their chips, registers, limits, scales, names and warning
// formats, and resets their readings.
void InitPowerStates();

// Converts and judges one reading of PowerState[index] from its two register bytes.
void UpdatePowerState(int index, int low, int high);

// One reading step of the main board (battery, or the eight supply voltages) and of the BC board (the
// three line-driver temperatures, or the overheat flag), each alternating between its two groups on
// successive calls. Nothing happens without a register channel, nor while it is busy with a transaction
// (the step is simply skipped, without a message).
void ReadC9A9Status();
void ReadBCStatus();

// Makes the next step of each start with its first group.
void RestartPowerReadings();

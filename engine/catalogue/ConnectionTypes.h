#pragma once

#include <QStringList>

#include <cstdint>

// Names and descriptions of the connection types, indexed by DeviceSettings.ConnectionType.
inline constexpr int32_t ConnectionTypeCount = 13;

extern QStringList ConnectionTypeNames;
extern QStringList ConnectionTypeHints;

// Refills both lists with the 13 entries in connection-type order.
void InitConnectionTypeLists();

// Whether the meter is on the line: types 0, 1 and 6 connect no meter, so the instrument takes no blocks
// and nothing is judged.
bool MeterConnected(int32_t connectionType);

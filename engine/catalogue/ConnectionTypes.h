#pragma once

#include <QStringList>

#include <cstdint>

// Names and descriptions of the connection types, indexed by DeviceSettings.ConnectionType.
inline constexpr int32_t ConnectionTypeCount = 13;

extern QStringList ConnectionTypeNames;
extern QStringList ConnectionTypeHints;

// Refills both lists with the 13 entries in connection-type order.
void InitConnectionTypeLists();

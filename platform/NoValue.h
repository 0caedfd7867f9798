#pragma once

// Marks a missing value in every result, curve, table cell, mask and value window ("Не измеряется").
// Compared by exact equality; the same number as a float and as a double.
inline constexpr float NoValue = -9999999.0f;

#pragma once

// The reflectometer on a PRBS block: the averaged reflectogram, its echoes and the PRBS rows, then the
// line analysis of the open end.
void MeasurePrbs();

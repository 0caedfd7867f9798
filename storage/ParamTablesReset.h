#pragma once

// Forgets the results of the last run: every row of the seven parameter tables goes back to no value,
// no margin and not judged. Called at the start of a measurement. The time series and the value
// windows, which a reset also clears, are not built yet.
void ResetParamTables();

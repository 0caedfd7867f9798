#pragma once

// Forgets the results of the last run (every row of the seven parameter tables back to no value, no
// margin, not judged) and lets every row's value window and time series follow its switches again: the
// time series lose their bindings, and the rows bind theirs anew. With closeWindows (after a settings
// load) the value windows of graph points close and the series that no row binds again go. Called at the
// start of a measurement (without closeWindows) and after settings were loaded (with it, the default).
void ResetParamTables(bool closeWindows = true);

#pragma once

// The time diagrams and the time series in the main window: the registrations they need when the
// program starts (the window factory, the dispatch, the kind change, the bindings' windows) and the
// steps of Start and Stop that concern the open diagrams.
void InstallTimeDiagrams();
// Start: every open time diagram reloads its stored settings.
void ReloadTimeDiagramSettings();
// Stop: every open time diagram saves its settings.
void SaveTimeDiagramSettings();

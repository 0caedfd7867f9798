#pragma once

// What the selective results ask of the open graph windows: the cursors follow the frequency just
// measured, and a continuous run keeps its last curves as trace masks. Called after each selective item
// of the live road and of playback.

// True when the graph window of that kind is open and shows a curve of the running sub-mode.
bool IsShownSstGraph(int index);
// Every shown selective window moves its bound cursor to the frequency of the result holder's current
// bin.
void MoveCursorsToSstFrequency();
// At the end of a scan or a pass of a continuous run: the shown selective windows keep the curve as a
// mask, by the options of the run (upper or lower mask, or two traces, the older one moved below).
void StoreSstTraces();

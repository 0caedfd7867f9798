#pragma once

// The single entry after a frame was analysed: judges the results of the current signal kind against
// their norms and masks and pushes them to everything that shows or uses them.
// source: 1 signal block, 2 meter frame, 3 selective result, 4 SYNC measurement.
void ResultDispatcher(int source);

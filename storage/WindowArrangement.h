#pragma once

// With the automatic window change of the program settings on: opens the local result table and the
// graph windows of the curves that the current signal kind analyses, closes the other graph windows and,
// while the peer controls this analyser, arranges them (cascaded from 7 windows on, else tiled). Called
// after a change of signal kind and when the program settings are confirmed.
void ArrangeGraphWindows();

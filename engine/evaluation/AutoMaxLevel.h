#pragma once

// The automatic input range, once per frame while it is switched on: follows the range that suits the
// received level, or steps one range up (less sensitive) after an overloaded block; a change is shown
// on the settings window and issued to the instrument.
void AutoMaxLevelStep();

#pragma once

#include <cstdint>
#include <functional>

class QWidget;
class TZeltCSpinEdit;

// The numeric edits of settings that travel to the peer snap their value to the code grid of their
// ValueQuantizer (index q) when they are entered and when they are left, so that both analysers of a
// pair hold the same number.

// Reads the edit's value, brings it into the edit's range, snaps it with a 16-bit (SnapSpinEdit) or an
// 8-bit code (SnapSpinEdit8) and writes the snapped value back when it differs from the text.
void SnapSpinEdit(TZeltCSpinEdit &edit, int32_t q);
void SnapSpinEdit8(TZeltCSpinEdit &edit, int32_t q);

// Calls handler whenever the widget gains or loses the keyboard focus: the edit's Enter and Exit
// handlers in one.
void OnEnterAndExit(QWidget *widget, std::function<void()> handler);

// Calls handler when Enter or Return is pressed in the widget; the key goes on to the widget.
void OnReturnKey(QWidget *widget, std::function<void()> handler);

#pragma once

struct LevelLimit;
class QAbstractButton;
class QWidget;
class TZeltCSpinEdit;

// Sets an impedance edit's range by the connection type (flag: the side's low-ohm or high-ohm box) and
// limits its value; memory is the value as last snapped. A fixed range such as 75..75 shows its value.
void LimitImpedanceEdit(TZeltCSpinEdit &edit, double &memory, bool flag, bool isGenerator);

// The handlers of one impedance edit with its flag box: the generator's load with "низкоомно", or the
// meter's input with "высокоомно". The page that owns the controls calls them from the controls' signals
// and then recolours its apply button (and, for a voltage-based reference preset, recomputes the
// reference through PresetReference).
class TImpedanceEntry {
public:
    TImpedanceEntry(TZeltCSpinEdit &edit, QAbstractButton &flagBox, bool isGenerator);

    // The impedance as last snapped; the page's refresh sets it from DeviceSettings.
    double Memory = 0;

    // The box was clicked (and the page's refresh): the range by the connection type, the value limited.
    void FlagClicked();
    // The value changed: while the box is clear, a type that bounds the side snaps it to a standard
    // impedance as it is typed and the spin step returns to the quantizer's. False for a value that is
    // not above 0, which is left alone.
    bool Changed();
    // The edit or the box was left: the value snaps to the impedance quantizer's grid and is remembered.
    void Left();

private:
    TZeltCSpinEdit &edit_;
    QAbstractButton &flagBox_;
    bool isGenerator_;
};

// The impedance controls that the connection type sets itself are disabled: on types 3 and 8 the two
// flag boxes, on types 4 and 10 the boxes and both edits; other types leave them as they are.
void DisableImpedanceControls(QWidget &genLowBox, QWidget &meterHighBox, QWidget &genEdit, QWidget &meterEdit);

// Gives a level edit its limits and clamps its value into them; an edit without a minimum of its own
// in the limits keeps its minimum, and its maximum does not go below it.
void ApplyLevelLimit(TZeltCSpinEdit &edit, const LevelLimit &limit);

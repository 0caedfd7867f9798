#include "selective/MirvakPageRules.h"

namespace {

using E = TMirvakEnable;

struct TRuleRow {
    int Types[2]; // the connection types of the row; -1 for none
    TMirvakSubModeRule Rule;
};

// clang-format off
constexpr TRuleRow SubModeRules[] = {
    //          RB_FC  scan/mon impedance partly afc-cal FC_L  gen shift meter shift
    {{1, 6},   {E::F,   E::Off,  E::Off,   false, E::F,   E::On,  E::On,   E::Off}},
    {{2, 7},   {E::F,   E::F,    E::Off,   false, E::F,   E::F,   E::Off,  E::On}},
    {{4, -1},  {E::F,   E::Off,  E::Off,   false, E::F,   E::F,   E::Off,  E::On}},
    {{5, 9},   {E::F,   E::F,    E::Off,   false, E::F,   E::F,   E::On,   E::On}},
    {{10, -1}, {E::F,   E::F,    E::Off,   false, E::Off, E::Off, E::Off,  E::On}},
    {{11, 12}, {E::F,   E::F,    E::Off,   false, E::Off, E::Off, E::On,   E::On}},
    {{3, 8},   {E::Off, E::Z,    E::Z,     false, E::Off, E::Off, E::Off,  E::On}},
};
// clang-format on

// No connection, or a type beyond the table.
constexpr TMirvakSubModeRule OtherTypes = {E::Off, E::Off, E::Off, true, E::Off, E::Off, E::Keep, E::Keep};

} // namespace

const TMirvakSubModeRule &MirvakSubModeRule(int connectionType) {
    for (const TRuleRow &row : SubModeRules)
        for (int type : row.Types)
            if (type == connectionType)
                return row.Rule;
    return OtherTypes;
}

bool MirvakPlanModesAllowed(double sampleRate) {
    return sampleRate >= 2500 && sampleRate < 2600;
}

bool MirvakImpedanceModesAllowed(double sampleRate) {
    return sampleRate >= 2500 && sampleRate < 10400;
}

bool MirvakGroupEnabled(TMirvakEnable rule, double sampleRate, bool current) {
    switch (rule) {
    case E::Off:
        return false;
    case E::On:
        return true;
    case E::F:
        return MirvakPlanModesAllowed(sampleRate);
    case E::Z:
        return MirvakImpedanceModesAllowed(sampleRate);
    case E::Keep:
        break;
    }
    return current;
}

int8_t MirvakSubModeForConnection(int connectionType, int8_t subMode) {
    switch (connectionType) {
    case 1:
    case 4:
    case 6:
        return 0;
    case 2:
    case 5:
    case 7:
    case 9:
        return subMode > 2 ? 0 : subMode;
    case 3:
    case 8:
        return subMode == 0 || subMode == -1 ? 1 : subMode;
    case 10:
    case 11:
    case 12:
        return subMode > 2 || subMode < 0 ? 0 : subMode;
    default:
        return subMode;
    }
}

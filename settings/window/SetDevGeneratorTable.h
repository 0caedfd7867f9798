#pragma once

#include "settings/window/Form_SetDev.h"

#include <cstdint>
#include <vector>

class QLabel;
class QPushButton;
class TZeltCSpinEdit;

// The generator kinds of the Generator page with their buttons, level edit, start command and the codes
// that the remote link sends for them.
struct TGeneratorPageKind {
    int Kind; // GeneratorKind
    QPushButton *TForm_SetDev::*Local;
    QPushButton *TForm_SetDev::*Remote;
    TZeltCSpinEdit *TForm_SetDev::*Level; // null for the block
    QLabel *TForm_SetDev::*LevelLabel;
    int LevelQuantizer;
    void (*Start)();
    std::vector<uint8_t> BothCodes; // starts the peer's generator, then this side's once the message is out
    std::vector<uint8_t> PeerCode;
};

// SIN, SIN2, MTTS, RND, NOISE, block: the order of the local buttons.
const std::vector<TGeneratorPageKind> &GeneratorPageKinds();
const TGeneratorPageKind *GeneratorPageKind(int kind);

#pragma once

#include "state/ProgramSettings.h"
#include "storage/ConfigWindows.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

// The layout block at the end of a legacy binary configuration, after its settings snapshot: the program
// settings, the time series of graph points and every window's placement, stored properties and
// visibility. Its layout depends on the version text of the file.

// One stored property of a window: an int, a float (double) or a text, under its key of the window's
// section.
struct TLegacyValue {
    enum class Type { Int, Float, String };
    QString Key;
    Type Kind = Type::Int;
    int32_t Int = 0;
    double Float = 0;
    QString Text;
};

struct TLegacyWindowEntry {
    TConfigWindow Window{ConfigWindowKind::ResultTable, 0};
    bool Used = true; // files up to V1.14 hold 10 result tables, of which the last 8 mean nothing
    QString Section;  // value windows: their stored caption; otherwise the host names the section
    int16_t PointBinding[4] = {0, -1, -1, 0}; // value windows: verdict index, point, graph kind, mask slot
    int16_t Visible = 0;
    int16_t Normal[4] = {}; // left, top, right, bottom
    int16_t MinMax[4] = {}; // minimised x, y, maximised x, y
    uint16_t ShowCmd = 0;
    uint16_t Flags = 0;
    std::vector<TLegacyValue> Values;
};

struct TLegacySeriesBinding {
    QString Caption;
    int16_t Code = 0;
    int16_t Point = 0;
};

// What could be read. A block that ends early, or whose count or length exceeds what is left, ends the
// reading there: only whole items are kept.
struct TLegacyLayout {
    std::optional<TProgramSettings> Settings;
    std::vector<TLegacySeriesBinding> Bindings;
    std::vector<TLegacyWindowEntry> Windows;
    std::optional<int32_t> ActiveTag;
};

// version: the 20-byte version text of the file (what precedes the first NUL counts).
TLegacyLayout ParseLegacyLayout(QByteArrayView bytes, QByteArrayView version);

// Puts what was read into force: the program settings (keeping the live playback switch), the time-series
// bindings, each window's section of R9.ini (without screen-dependent keys) with the window opened,
// re-placed or closed to match, and the child that was in front.
void ApplyLegacyLayout(const TLegacyLayout &layout);

// Reads the rest of the stream (standing after the snapshot) and applies it.
void ReadLegacyLayout(QIODevice &stream, QByteArrayView version);

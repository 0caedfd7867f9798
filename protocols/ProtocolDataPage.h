#pragma once

#include "engine/evaluation/ProtocolSnapshot.h"

#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

struct ParamDescriptor;

// The data page of the open protocol: per entry an anchor, the entry's heading with its link to the
// settings page, the results table and, for own results, the point table and the JPEG picture of every
// curve marked for the protocol.

// Appends the current entry's section for count entry rows to the data page; the curves and pictures come
// from the holder (own results only). Nothing when the page cannot be opened.
void WriteDataSection(const TProtocolSnapshot &holder, const ParamDescriptor *rows, int count, int remote);

// One curve record of a holder's curve block, as the snapshot writes it.
struct TCurveRecord {
    int16_t GraphKind = 0;
    int32_t N = 0;       // point count; no arrays for 0 or less
    int32_t Columns = 2; // 2, or 3 with a second value column
    std::vector<float> X, Second, Y;
    std::vector<uint8_t> Marks; // empty without point verdicts
};

// Reads the record at position of the holder's curve block and moves position past it. Nullopt, with
// position unchanged, when the block ends before the record does or the record's graph kind or column
// count is one the writer never writes.
std::optional<TCurveRecord> ReadCurveRecord(const TProtocolSnapshot &holder, int32_t &position);

// Appends the curve sections of the rows that have a curve record, in row order: the point table and
// the picture. Stops at a record that cannot be read or that belongs to another graph kind than its row
// (a block taken with other protocol marks), since every record after it would be misplaced.
void WriteCurveSections(QStringList &lines, const ParamDescriptor *rows, const TProtocolSnapshot &holder, int count);

// Saves the holder's picture of the row's graph kind as a JPEG beside the protocol's pages, named after
// the entry's stamp and the row's caption, and appends its heading and image lines; nothing when the
// holder has no such picture or it cannot be saved.
void WriteGraphPicture(QStringList &lines, const TProtocolSnapshot &holder, const ParamDescriptor &row);

// The picture's file name for the current entry and a row caption: "150313_102205_1_Кнс_%.jpg".
QString GraphPictureName(const char *caption);

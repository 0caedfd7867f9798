#pragma once

#include "engine/masks/MaskKindTable.h"
#include "engine/masks/TMASK.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

// The mask editor's side of the mask files: what it shows of a file, how it checks a table before a save
// and what it writes.

// A file as the editor shows it: every line that holds "==" in the comment, every other line as a point
// (double precision, so that large distances come back unchanged) whose numbers that the line does not
// yield repeat those of the point before.
struct TMaskEditContents {
    QStringList Comment;
    std::vector<TMaskPoint> Points;
};
TMaskEditContents ParseMaskEditFile(const QByteArray &bytes);

// A number of a point as its cell shows it: fixed notation with 5 decimals.
QString MaskCellText(double value);

// One table row: the x and the y cell.
using TMaskRow = std::array<QString, 2>;

// The first problem of a table, with the message to show and the cell to put the user into.
struct TMaskCheck {
    bool Ok = true;
    QString Message;
    int Row = 0;    // index into the rows, 0 for the first point
    int Column = 0; // 0 x, 1 y
};

// The checks of a save: at least two points, every cell a number (its first ',' is turned into '.' in the
// cell first, whether or not a later check fails) within the kind's ranges, and x monotonic in one
// direction, equal neighbours allowed. Rows are the table's data rows.
TMaskCheck CheckMaskRows(std::vector<TMaskRow> &rows, const TMaskKind &kind);

// The comment as it is saved: every line that does not begin with "==" gets "==" in front.
QStringList MaskCommentLines(const QStringList &lines);

// The bytes of the file: the comment lines, then one line per row of the x text, three blanks and the y
// text as they stand in the cells; windows-1251, every line ended by CR LF.
QByteArray MaskEditFileText(const QStringList &comment, const std::vector<TMaskRow> &rows);

// The path with the kind's extension appended when its file name has none.
QString MaskPathWithExtension(const QString &path, const TMaskKind &kind);

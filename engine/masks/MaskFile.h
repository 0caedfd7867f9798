#pragma once

#include "engine/masks/TMASK.h"

#include <QByteArray>
#include <QString>

#include <vector>

// What one mask file holds. Error is empty when the file was read; otherwise it says why the file is not
// a mask and Points is empty.
struct TMaskFileContents {
    std::vector<TMaskPoint> Points;
    QString Error;
};

// The data lines of a mask file's bytes (windows-1251): every line with "=" is a comment, and a line
// whose start does not read as two numbers is skipped. Numbers use '.', read as single precision and
// widened. A curve whose x values all descend is turned round so that x ascends; a number that is not
// finite makes the whole file an error.
TMaskFileContents ParseMaskPoints(const QByteArray &bytes);

// The two numbers at the start of one line, as the mask editor keeps them: double precision, '.' as the
// decimal point. The scan stops at the first number the line does not yield (missing, not finite or out
// of range); that one and any after it keep the value passed in.
void ReadPointLine(const QString &line, double &x, double &y);

// ParseMaskPoints of a file; a file that cannot be read is an error.
TMaskFileContents ReadMaskPoints(const QString &path);

// The combined set of the selection dialog: a header with the path, the unit line, one "x y" line per
// point and the closing line. Written whole or not at all; false when the file could not be written.
QByteArray CombinedMaskSetText(const QString &path, const std::vector<TMaskPoint> &points);
bool WriteCombinedMaskSet(const QString &path, const std::vector<TMaskPoint> &points);

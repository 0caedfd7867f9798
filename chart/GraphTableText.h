#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

struct ParamDescriptor;

// Tables of the points of one graph curve: n points of a graph kind, two columns (x, y) or three (x, a
// second column, y), float arrays with the no-value sentinel where a point has no value. Marks are the
// per-point mask verdicts (read as signed: below 1 the point failed its mask), or null.

// Text lines: a "==" caption line, a "==" line of the column units and one line per point, each value
// followed by a blank (a lone blank for the sentinel). With skipGap the points at -300 are left out.
// Nothing for n <= 0.
void WriteGraphTableText(QStringList &lines, int32_t n, int kind, int columns, const float *x, const float *second,
                         const float *y, const uint8_t *marks, bool skipGap);

// The same curve as a mask file of two columns (x, y) with the units of columns unitX and unitY in its
// header, replacing any file of that name; an empty file for n <= 0. False, after the message of the
// file stream, when the file cannot be written.
bool SaveGraphTableText(const QString &fileName, int32_t n, int kind, const float *x, const float *y, int unitX,
                        int unitY);

// HTML lines: the caption, the names of the applied lower and upper masks (maskNames holds the template
// names the row's mask indexes point at), and the table of points (five pairs per row split into tables
// of 37 rows; one point per row for three columns), failed points on a pink ground. Texts are escaped.
// Nothing for n <= 0.
void WriteMaskTablesHtml(QStringList &lines, const ParamDescriptor &row, const QStringList &maskNames, int32_t n,
                         int kind, int columns, const float *x, const float *second, const float *y,
                         const uint8_t *marks);

// The head of an HTML table file: the page in windows-1251 with the page-break style of its tables.
QStringList GraphTableHtmlHead();

#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The names of the mask templates that curve rows refer to by index (LowerMaskName, UpperMaskName): each
// entry lists the files of one combined mask, every name followed by ";".
extern QStringList MaskNameList;

// Stores a row's template name: appended when index is below 0 (index then names the new entry), else
// replacing the entry at index. An index beyond the list (from a damaged configuration) is treated as
// no name, so nothing is written outside the list.
void StoreMaskName(int16_t &index, const QString &names);

// The entry at index; empty for an index outside the list.
QString MaskNameAt(int16_t index);

#pragma once

#include <QStringList>

// The names of the mask templates the curve rows refer to by index (ParamSettings.LowerMaskName and
// UpperMaskName).
extern QStringList MaskNameList;

// Puts a name at a row's index: appended when the index is negative (which then becomes its index) or
// lies beyond the list, else replacing that entry.
void StoreMaskName(int16_t &index, const QString &name);

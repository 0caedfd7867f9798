#pragma once

#include <QStringList>

// File-name texts referred to by index: the weighting characteristic by DeviceSettings->WeightingIndex,
// the parameter rows' mask files by their mask indexes. Entries are appended, replaced or emptied, never
// removed, so an index holds for the whole run; stored files carry the texts, not the indexes.
extern QStringList FileNameList;

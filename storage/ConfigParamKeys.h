#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class TCustomIniFile;
struct ConfigFileNames;
struct ParamDescriptor;

// The parameter-table sections of an INI configuration: the user settings of every row of the seven
// tables, and the mask templates of the norms of rows judged by mask files. Reading changes the live
// rows at once; the masks it builds wait in PendingMaskArray until they are swapped into force.

// The tables in the order of the file, with the names of their sections ("Настройка параметров " + name).
struct ConfigParamTable {
    int32_t SignalKind;
    const char16_t *Name;
};
inline constexpr ConfigParamTable ConfigParamTables[] = {{1, u"SIN"}, {2, u"SIN2"},   {3, u"МЧС"}, {4, u"ПСС"},
                                                         {5, u"ШУМ"}, {6, u"МИРВАК"}, {7, u"SYNC"}};

// The masks in force (MaskArray) give a row's templates: stored relative to names.MaskDir.
void WriteParamRow(const ParamDescriptor &row, TCustomIniFile &ini, const QString &tableName,
                   const ConfigFileNames &names);

// Values a damaged file could hold out of range are not taken: a number that is not finite keeps the
// default, a template count is bounded by the keys the section has, a scale by 1..200 percent.
void ReadParamRow(ParamDescriptor &row, TCustomIniFile &ini, const QString &tableName, const ConfigFileNames &names);

// Builds the mask of one norm (which: 1 lower, 0 upper) from its templates (absolute paths) into
// PendingMaskArray[slot][which]. Each template is looked for where files named inside configurations are
// (LocateFile); the path found is written back under the key it came from. A template that cannot be
// found builds no mask. Returns the text for the row's MaskNameList entry: the bare file names of the
// templates in the mask, each followed by ";", or empty without a mask.
QString LoadMaskTemplates(const ParamDescriptor &row, TCustomIniFile &ini, QStringList paths, int scale, int slot,
                          int which, const QString &tableName, const QString &prefix, const ConfigFileNames &names);

// Every row of the seven tables, in file order.
void WriteParamTables(TCustomIniFile &ini, const ConfigFileNames &names);
void ReadParamTables(TCustomIniFile &ini, const ConfigFileNames &names);

#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class QWidget;
class TCustomIniFile;

// Placement keys of a form in an INI section: "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and
// "NormPos", the two position keys written first with the screen-size suffix, then bare.
void WriteFormPlacement(QWidget *form, TCustomIniFile *ini, const QString &section);
void ReadFormPlacement(QWidget *form, TCustomIniFile *ini, const QString &section, bool loadState, bool loadPosition);
// Opens the named INI file and writes or reads everything under the form's class name.
void SaveFormPlacement(QWidget *form, const QString &iniFileName);
void RestoreFormPlacement(QWidget *form, const QString &iniFileName);

// Default names. OnGetDefaultIniName, when set, names the INI file; otherwise it is the program file's
// name with the extension ".INI".
extern std::function<QString()> OnGetDefaultIniName;
QString GetDefaultIniName();
QString GetDefaultSection(const QObject *component);
void GetDefaultIniData(const QWidget *control, QString &iniFileName, QString &section);

// INI access that tolerates a missing object (reads give the default, writes do nothing). A value that
// starts and ends with a quote is written to a direct INI file inside one more pair of double quotes, so
// that it reads back as written after the file's reader has stripped one pair.
QString IniReadString(TCustomIniFile *ini, const QString &section, const QString &ident, const QString &def);
void IniWriteString(TCustomIniFile *ini, const QString &section, const QString &ident, const QString &value);
int IniReadInteger(TCustomIniFile *ini, const QString &section, const QString &ident, int def);
void IniWriteInteger(TCustomIniFile *ini, const QString &section, const QString &ident, int value);
bool IniReadBool(TCustomIniFile *ini, const QString &section, const QString &ident, bool def);
void IniWriteBool(TCustomIniFile *ini, const QString &section, const QString &ident, bool value);
void IniEraseSection(TCustomIniFile *ini, const QString &section);
void IniDeleteKey(TCustomIniFile *ini, const QString &section, const QString &ident);
QStringList IniReadSections(TCustomIniFile *ini);

#pragma once

#include <QEvent>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QObject;
class QTableView;
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

// Forms by class. Qt creates no widget from a class name, so a form class that is to be created by name
// registers its factory once; the class name is that of the form's meta-object.
using TFormFactory = std::function<QWidget *()>;
void RegisterFormClass(const QString &className, TFormFactory factory);
bool IsFormClassRegistered(const QString &className);
// The forms of the program in screen order: the top-level windows, each followed by the children of the
// MDI areas it holds in creation order.
QList<QWidget *> ScreenForms();
QWidget *FindForm(const QString &className);
// The first form of the class (with exactly that caption when one is given), else a new one of the
// registered class with that caption; a minimised one is set to normal; it is shown.
QWidget *FindShowForm(const QString &className, const QString &caption = QString());
// Creates a form of the class, runs it modally and frees it: true for the results OK (1) and Yes (6).
bool ShowDialog(const QString &className);
QWidget *InstantiateForm(const QString &className, QWidget *&reference);

// One INI line for a text of several lines: every line break (CR, LF, CR LF or LF CR) becomes the two
// characters "\n"; back, each "\n" becomes CR LF. Both throw "Line too long" past 4096 characters.
QString StrToIniStr(const QString &text);
QString IniStrToStr(const QString &text);

// The MDI children of a frame by class name in section "MDI Children" ("Count", "Item0", ...). Restoring
// creates or finds them from the last listed to the first, so that the first ends up in front; names of
// unregistered classes are skipped. Both throw "Cannot create form. No MDI forms are currently active"
// when the form is no MDI frame.
void SaveMDIChildren(QWidget *mainForm, TCustomIniFile *ini);
void RestoreMDIChildren(QWidget *mainForm, TCustomIniFile *ini);

// Column widths of a grid, "Item0", "Item1", ..., in the grid's default section.
void SaveGridLayout(QTableView *grid, TCustomIniFile *ini);
void RestoreGridLayout(QTableView *grid, TCustomIniFile *ini);

// The first name from the pattern and 0, 1, 2, ... (its "%d" replaced by the number) that names no file
// in the folder; empty when every number up to 2147483647 is taken.
QString GetUniqueFileNameInDir(const QString &path, const QString &fileNameMask);

// A message sent to every form in screen order, as an event of type TBroadcastEvent::Type().
class TBroadcastEvent : public QEvent {
public:
    TBroadcastEvent(int msg, qintptr wParam, qintptr lParam);
    static QEvent::Type Type();
    int Msg;
    qintptr WParam;
    qintptr LParam;
};
void AppBroadcast(int msg, qintptr wParam, qintptr lParam);

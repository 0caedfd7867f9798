#pragma once

#include <QString>

#include <cstdint>

class QObject;
struct QMetaObject;

// Lets library code drive any progress indicator without knowing its class: a class is registered with
// the names of its properties for the maximum, the minimum and the position, and the setters below then
// set those properties, by name, on any object of that class or of a class derived from it. QProgressBar
// is registered from the start ("maximum", "minimum", "value").
void RegisterProgressControl(const QMetaObject *controlClass, const QString &maxName, const QString &minName,
                             const QString &progressName);
// Removes the records of that class and of the classes derived from it.
void UnRegisterProgressControl(const QMetaObject *controlClass);
bool SupportsProgressControl(const QObject *control);
// True when the property was set: the control's class has a record, and the record's property exists and
// holds an integer, a floating-point number or a variant.
bool SetProgressMax(QObject *control, int32_t value);
bool SetProgressMin(QObject *control, int32_t value);
bool SetProgressValue(QObject *control, int32_t value);

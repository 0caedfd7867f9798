#pragma once

#include "storage/ConfigWindows.h"

#include <QString>

// "Graph7", "Text0": a window of the configuration's window table by kind and slot, as the fake hosts of
// these tests name it.
inline QString WindowName(TConfigWindow w) {
    static const char *const kinds[] = {"Result", "Param", "Settings", "Options", "Graph", "Text", "Diagram", "Main"};
    return QLatin1String(kinds[int(w.Kind)]) + QString::number(w.Index);
}

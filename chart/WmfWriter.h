#pragma once

#include "chart/MetafileItems.h"

#include <QByteArray>

// The drawing as a placeable Windows metafile (*.wmf) at 96 units per inch: placeable header, metafile
// header, polylines, polygons, windows-1251 text, clip states, end record.
QByteArray WmfBytes(const MetafileDrawing &drawing);

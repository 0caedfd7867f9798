#pragma once

#include "chart/MetafileItems.h"

#include <QByteArray>

// The drawing as an enhanced metafile (*.emf) at 96 pixels per inch: header, 16-bit polylines and
// polygons, Unicode text, clip states, end record.
QByteArray EmfBytes(const MetafileDrawing &drawing);

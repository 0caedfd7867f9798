#pragma once

#include "engine/evaluation/ProtocolSnapshot.h"

#include <memory>

class QImage;
class TForm_Graphic;

// The protocol's picture of a graph window: its chart framed in black and reduced to 16 colours, packed
// four bits a pixel. Null for no window, or one that is hidden or minimized.
std::unique_ptr<TSnapshotPicture> SnapshotPictureOf(TForm_Graphic *window);

// Packs an indexed image of at most 16 colours; null for any other image.
std::unique_ptr<TSnapshotPicture> PackSnapshotPicture(const QImage &indexed);

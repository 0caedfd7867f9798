#include "views/GraphSnapshotPicture.h"

#include "chart/Chart.h"
#include "views/Fgraph.h"

#include <QImage>

std::unique_ptr<TSnapshotPicture> PackSnapshotPicture(const QImage &indexed) {
    if (indexed.isNull() || indexed.format() != QImage::Format_Indexed8 || indexed.colorCount() > 16)
        return nullptr;
    auto picture = std::make_unique<TSnapshotPicture>();
    picture->Width = indexed.width();
    picture->Height = indexed.height();
    const QList<QRgb> colours = indexed.colorTable();
    std::copy(colours.begin(), colours.end(), picture->Palette.begin());
    const int32_t rowBytes = picture->RowBytes();
    picture->Bits.assign(std::size_t(rowBytes) * std::size_t(picture->Height), 0);
    for (int32_t y = 0; y < picture->Height; ++y) {
        const uchar *line = indexed.constScanLine(y);
        uint8_t *out = picture->Bits.data() + std::size_t(y) * std::size_t(rowBytes);
        for (int32_t x = 0; x < picture->Width; ++x)
            out[x / 2] |= uint8_t((line[x] & 0x0F) << (x % 2 == 0 ? 4 : 0));
    }
    return picture;
}

std::unique_ptr<TSnapshotPicture> SnapshotPictureOf(TForm_Graphic *window) {
    if (!window || !window->isVisible() || window->isMinimized())
        return nullptr;
    const QWidget *frame = window->parentWidget();
    if (frame && frame->isMinimized())
        return nullptr;
    return PackSnapshotPicture(window->Chart1->FramedBitmap16());
}

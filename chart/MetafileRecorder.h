#pragma once

#include "chart/MetafileItems.h"

#include <QPaintDevice>

#include <memory>

class MetafileEngine;

// A paint device at 96 pixels per inch that keeps what is painted on it as a metafile drawing: lines,
// polygons, paths (flattened), rectangles and text with their pens, brushes, fonts and clip rectangles.
// Images are not kept.
class MetafileRecorder final : public QPaintDevice {
public:
    explicit MetafileRecorder(QSize size);
    ~MetafileRecorder() override;

    QPaintEngine *paintEngine() const override;
    const MetafileDrawing &Drawing() const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<MetafileEngine> engine_;
};

#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class QCPAxis;

struct TMaskPoint {
    double x;
    double y;
};

// Asked by TMASK::LoadFiles when a listed mask file cannot be taken: the window that owns the load
// offers a replacement or lets the file go.
class TMaskFileChooser {
public:
    virtual ~TMaskFileChooser() = default;
    // A replacement for a file that does not exist; an empty text when the user gave none.
    virtual QString ReplaceMissing(const QString &path) = 0;
    // A file whose contents are not a mask: the reason is shown to the user.
    virtual void ReportDamaged(const QString &path, const QString &reason) = 0;
    // The file at index was dropped from the mask's lists.
    virtual void Dropped(int index) { (void)index; }
};

// One limit curve of a graph: an upper mask says the curve must stay below it, a lower mask above it.
class TMASK {
public:
    std::vector<TMaskPoint> Points; // x ascending as the mask files give it
    QStringList Names;              // file names of the combined mask files, as shown to the user
    QStringList Paths;              // their full paths, same order
    QCPAxis *Axis = nullptr;        // vertical axis the graph window draws the mask against
    int32_t Colour = 0xFFFF00;      // 0x00BBGGRR
    uint8_t Upper = 1;
    uint8_t Passed = 3; // 3 not yet judged, 1 every judged point passed, 0 at least one violated
    uint8_t Active = 0;
    int16_t Scale = 100; // percentage the y values carry, 1..200
    double XMin = 0, XMax = 0;
    double YMin = 0, YMax = 0;
    int32_t CodeSteps = 0;
    uint8_t WireBytes = 4;
    uint8_t IsLine = 0; // drawn as a line and never judged
    uint8_t Width = 1;

    int32_t Count() const { return int32_t(Points.size()); }

    // Rebuilds Points from the files in Paths: the first replaces them, each later one is added. A
    // missing file is offered for replacement; a missing file without replacement and a damaged file are
    // dropped from both lists. With no file left the points stay as they were.
    void LoadFiles(TMaskFileChooser &chooser);
};

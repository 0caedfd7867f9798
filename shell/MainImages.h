#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>

class QToolButton;

// A row of equally sized images addressed by index; an index outside the row gives an empty image.
class TImageList {
public:
    QList<QPixmap> Images;

    int Count() const { return int(Images.size()); }
    QPixmap Image(int index) const { return index >= 0 && index < Images.size() ? Images[index] : QPixmap(); }
};

// The main window's images, drawn once at start:
// - ImageList_StartStop: 0 Start, 1 Start lit (the two alternate while a measurement runs), 2 Pause,
//   3 Pause lit;
// - ImageList_Gen: the generator button, 0 no generator on, 1 a local one, 2 one at the peer, 3 both;
// - ImageList_Power: the power state, 0 external supply, 1 to 5 battery from full to empty, 6 the
//   discharged battery's alternate image;
// - ImageList_Buttons: the fault tool bar's buttons, with the power states at 9 to 15 and the cursor
//   buttons' images at 23 to 26 (cursor 1, cursor 2, each selected);
// - ImageList_Progress: the remote-message transfer, 0 to 5 steps done of 5, 66 pixels wide.
struct TMainImages {
    TImageList ImageList_StartStop;
    TImageList ImageList_Gen;
    TImageList ImageList_Power;
    TImageList ImageList_Buttons;
    TImageList ImageList_Progress;
};
TMainImages BuildMainImages();

// Shows on a tool button the image of its list that its "ImageIndex" property names, whenever the
// property is set. The list must outlive the button.
void BindImageList(QToolButton *button, const TImageList &list);

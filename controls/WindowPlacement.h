#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QObject;
class QScreen;
class QWidget;

// A window's placement record as the placement store reads and writes it: show command, minimised and
// maximised positions, and the normal (restored) rectangle as left, top, right, bottom with right and
// bottom exclusive. A form is a top-level window, or the widget inside a QMdiSubWindow of an MDI frame,
// in which case the record describes the sub-window within the MDI area.
struct TWindowPlacement {
    enum Flag { WpfSetMinPosition = 1, WpfRestoreToMaximized = 2 };
    enum ShowCmd { SwHide = 0, SwShowNormal = 1, SwShowMinimized = 2, SwShowMaximized = 3 };

    int flags = 0;
    int showCmd = SwHide;
    QPoint minPosition{-1, -1};
    QPoint maxPosition{-1, -1};
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The widget whose geometry and state make up the placement: the form, or the sub-window around an MDI child.
QWidget *PlacementWidget(QWidget *form);
bool IsMdiChild(const QWidget *form);
// The main window of the multiple-document interface: a window that holds an MDI area.
bool IsMdiFrame(const QWidget *form);
// A form: a top-level window or an MDI child.
bool IsForm(const QObject *object);
// The form that holds a control (the control itself when it is a form), or none.
QWidget *ParentForm(const QObject *control);

TWindowPlacement GetWindowPlacement(QWidget *form);
// Applies the positions of the record (the show command is the caller's business). The normal rectangle
// is kept inside the reachable area: the available geometry of the screen for a top-level window, the
// screen's available size for an MDI child.
void SetWindowPlacement(QWidget *form, const TWindowPlacement &placement);
// Sets the maximised position that the next GetWindowPlacement reports.
void SetMaximizedPosition(QWidget *form, QPoint position);
// The window-system border around the form (0 before its window exists).
QPoint BorderSize(QWidget *form);

QScreen *FormScreen(const QWidget *form);
int ScreenPixelsPerInch(const QWidget *form);
// "(1280x1024)" for a 1280 by 1024 screen.
QString ScreenSizeSuffix(const QWidget *form);

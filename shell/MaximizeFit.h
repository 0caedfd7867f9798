#pragma once

class QWidget;

// A child window of the main window's client area that is asked to maximise fills the free part of the
// main window instead (right of the left panel and its splitter, between the tool bars and the status
// bar) and stays a normal window, so its neighbours and the left panel stay where they are. The left edge
// stays; the window takes the area's full height and width. Installed once the window is created; it
// takes effect when the window is placed in the client area.
void FitOnMaximize(QWidget *window);

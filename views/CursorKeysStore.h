#pragma once

#include "views/CursorOnGraph.h"
#include "views/GraphWindowKeys.h"

class TCustomIniFile;

// A window's measuring cursors as R9.ini keeps them: what a cursor holds, and bringing cursor n back as
// the Enter key makes it (cursor 2 only after cursor 1) with the stored keys applied.
TCursorKeys CursorKeysOf(const TCursorOnGraph &cursor);
void RestoreCursor(TCursorSet &set, TCustomIniFile &ini, const QString &section, int n, const TCursorLimits &limits);

// The window follows its MDI frame: activation calls activated(true), deactivation activated(false), and
// a maximise fills the client area in a normal frame, so that the tool bars and the other windows' frames
// stay reachable. Called when the window is shown (the frame exists only then); connects once.
void FollowMdiFrame(QWidget &window, std::function<void(bool active)> activated);

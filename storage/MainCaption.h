#pragma once

#include <QString>

#include <functional>

// The main window's caption: the program name and the current configuration, fitted into the title bar.

// ProgramName, two blanks and the file name: the caption before fitting.
QString MainCaptionText(const QString &fileName);

// The caption as shown in `room` pixels, `width` measuring a text in the caption font. A caption too wide
// keeps the part before its first folder separator and as many of its last path components as fit,
// joined by "\..." (with the separator the caption uses).
QString FitCaptionText(const QString &caption, int room, const std::function<int(const QString &)> &width);

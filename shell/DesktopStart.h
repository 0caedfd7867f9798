#pragma once

class QApplication;
class QTranslator;

// What the program needs of the desktop before its main window exists.

// Until the application stands, a fatal start-up failure of the window system (no display, or one that
// cannot be reached) ends the program with one line saying so and how to run it without a display, and
// a non-zero status, instead of Qt's text and an abort. The other messages of that time are kept and
// passed on once the application stands (ReportStartedApplication).
void GuardApplicationStart(const char *programPath);
void ReportStartedApplication();

// The line said when no display can be had.
const char *NoDisplayLine();

// Qt's own dialogs (Yes/No, Save As, Print) speak Russian, as the rest of the program: installs Qt's
// Russian translations when they are there; null when they are not.
QTranslator *LoadQtTranslations(QApplication &app);

// The program's icon for every window.
void SetProgramIcon(QApplication &app);

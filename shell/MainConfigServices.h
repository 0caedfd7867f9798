#pragma once

// What the configuration code asks of the main window, registered when the program starts: the windows
// whose sections configurations carry (opened, re-placed and closed through the main window's registries),
// the automatic window change after a change of signal kind and after the program settings, and the
// questions of the file lookups.
void InstallConfigServices();

#pragma once

#include <QString>

// The folder beside the executable that holds R9.ini, debug.txt, Config, Data, Report, Masks, Picture,
// Help and the firmware files, always ending in '/'. The environment variable R9_PROGRAM_DIR points it
// elsewhere (tests, a second working copy).
QString ProgramDir();

// The executable's own file name without folder, e.g. "r9".
QString ProgramFileName();

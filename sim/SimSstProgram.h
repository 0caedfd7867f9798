#pragma once

#include "sim/SimBootLoader.h"

#include <string>
#include <vector>

// The simulated instrument's selective (SST) DSP program. The boot loader cannot know a file's name, so
// the program says what it is: one data record at segment 0, address 0 that holds its identity text.
// A download whose records carry it starts the selective program; any other starts the ordinary one.

// The Intel-HEX text of the simulated selective program, for a test to write as r9_307_sst.i00.
std::string SimSstProgramHex();
bool SimIsSstProgram(const std::vector<SimLoadedRecord> &records);

#pragma once

// The frequency (graph kind 18, mask slot 20) and level (kind 19, slot 21) master's characteristic starts
// afresh: its holder is created when missing and emptied, the slot's point verdicts are allocated anew, and
// the master's graph window returns to its default X range, binds its masks anew and redraws.
void CreateMasterFreqParam();
void CreateMasterLevParam();

#pragma once

// The commands that switch the local generator, used by the settings window's buttons and by every
// subsystem that runs a generator. Each writes DeviceSettings, raises the Mode bits of its instrument
// command and issues it with SendCommand; the open settings window follows.
//
// A start whose command went out and failed leaves the generator at state -1 (red), so that it never
// turns "running" at the next block; the next start, the block and Stop clear it.

void StartSin();
void StartSin2();
void StartMtts();
// RND is analysed only in precision analysis with 2048-sample blocks: the command switches to them first.
void StartRnd();
void StartNoise();
// Mutes the generator: only the block stays on.
void BlockGenerator();
// The block's state selected and shown.
void SelectBlockState();
// Drops the pending generator commands (Mode bits 0x004 to 0x080).
void ClearGeneratorCommands();
// When the selective firmware is loaded during a measurement, the instrument is reopened without it.
void ReopenIfSstRunning();

#pragma once

#include <cstdint>

// Frequencies travel to the peer in units of SampleRate / 2048, so each analyser decodes them at its own
// sample rate.

// trunc(F x 2048 / SampleRate + 0.5), F in kHz, clamped to what 16 bits hold (0 when there is no rate).
uint16_t QuantizeFrequency(double frequency);
// code x SampleRate / 2048.
double DequantizeFrequency(uint16_t code);

#pragma once

struct TDeviceSettings;

// Label step of the bottom axis: the span divided into k steps, k = plotWidth / (2 labelWidth) within
// 1..10 (10 without a label width), rounded to 1, 5 or 10 times a power of ten. A plot without width,
// and a span that is zero, negative or not finite, give 1.
double BottomIncrement(double span, int labelWidth, int plotWidth);

// The X range of a graph kind as the settings give it.
struct TDefaultXRange {
    double XMin = 0;
    double XMax = 0;
    double ZoomResolution = 0;
    bool Force = false;       // the kind always resets the bottom axis (the multitone and PRBS responses)
    bool ResizeTable = false; // the kind's value table follows the new range
    bool SetsYRange = false;  // kind 6: the group-delay Y range follows the sample rate
    double YShownMax = 0;
    double YShownMin = 0;
};
TDefaultXRange DefaultXRange(int kind, const TDeviceSettings &settings);

// The spans of the neighbouring subsystems that the X ranges read. Each leaves its outputs as they are
// when the settings give none.
void GetSyncTimeWindow(const TDeviceSettings &settings, double &minimum, double &maximum);  // us
void GetMasterFreqBand(const TDeviceSettings &settings, double &minimum, double &maximum);  // kHz
void GetLevelMasterSpan(const TDeviceSettings &settings, double &minimum, double &maximum); // dBm0
void GetMirvakBand(const TDeviceSettings &settings, double &lowest, double &highest);       // kHz

// The bottom range a window restores from R9.ini: the stored range, or the kind's default range when
// the stored one reaches past it on both sides. False when the stored limits are equal (nothing to set).
bool RestoredBottomRange(double storedMin, double storedMax, double xMin, double xMax, double &minimum,
                         double &maximum);

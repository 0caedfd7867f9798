#include "state/ProgramSettings.h"

#include "platform/DateTime.h"

#include <cstring>

TProgramSettings ProgramSettings{};

double DefaultRecordingWindowTime() {
    return EncodeDate(2003, 1, 1);
}

void InitProgramSettings() {
    std::memset(&ProgramSettings, 0, sizeof ProgramSettings);
    const double start = DefaultRecordingWindowTime();
    for (RecordingWindow &window : ProgramSettings.RecordingWindows) {
        window.Start = start;
        window.End = start;
    }
    ProgramSettings.Precision = 2;
    ProgramSettings.UseRecordedSettings = 1;
}

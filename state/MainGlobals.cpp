#include "state/MainGlobals.h"

#include "platform/ProgramDir.h"

#include <algorithm>

int32_t InstanceNumber = 1;
QString ProgramName = QString::fromUtf8(DefaultProgramName);
int16_t ConnectionKind = 1;
bool TechnologyMode = false;
int32_t SpectrumTableMinStep = 8;
QString ProgramVersionText;

bool MeasurementRunning = false;
double RunStart = 0;
double LastDataTime = 0;
bool Stopping = false;
bool UserPaused = false;
bool RecordingOn = false;
bool PlaybackOn = false;
uint8_t ScenarioRunning = 0;

QString DefaultConfigName(int instance) {
    return QStringLiteral("default") + QString::number(instance) + QStringLiteral(".cfg");
}

QString ReportTempFolder() {
    return ProgramDir() + QStringLiteral("Report/Temp") + QString::number(InstanceNumber) + '/';
}

float StepTimeTable[5] = {0.4f, 0.8f, 1.6f, 3.0f, 6.0f};

void FillStepTimeTable(float maxFrequency) {
    static constexpr float Slow[5] = {0.6f, 1.2f, 2.4f, 4.5f, 9.0f};
    static constexpr float Fast[5] = {0.4f, 0.8f, 1.6f, 3.0f, 6.0f};
    const float *source = maxFrequency < 5 ? Slow : Fast;
    std::copy(source, source + 5, StepTimeTable);
}

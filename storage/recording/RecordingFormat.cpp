#include "storage/recording/RecordingFormat.h"

#include "platform/ProgramDir.h"
#include "state/MainGlobals.h"

#include <cstring>

int32_t MeterFrameEventCount(int32_t frameKind) {
    static constexpr int32_t Counts[] = {0, 7, 3, 3};
    return frameKind >= 1 && frameKind <= 3 ? Counts[frameKind] : 0;
}

const int32_t *MeterFrameEventSlots(int32_t frameKind) {
    static constexpr int32_t Sin[] = {12, 13, 14, 15, 16, 17, 18};
    static constexpr int32_t Noise[] = {107, 108, 109};
    static constexpr int32_t Mtts[] = {45, 46, 47};
    static constexpr const int32_t *Slots[] = {nullptr, Sin, Noise, Mtts};
    return frameKind >= 1 && frameKind <= 3 ? Slots[frameKind] : nullptr;
}

QByteArray RecordingVersionField() {
    QByteArray field = QByteArray("V") + QByteArray::number(ProgramVersionWord / 100) + '.' +
                       QByteArray::number(ProgramVersionWord % 100).rightJustified(2, '0');
    field.append(VersionFieldSize - field.size(), '\0');
    return field;
}

QByteArray VersionText(const QByteArray &field) {
    const qsizetype end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

QString RecordingBaseName(int32_t instance) {
    return ProgramDir() + QStringLiteral("Data/R9_WriteData") + QString::number(instance);
}

bool CarriesMttsAdjustState(int16_t connectionType) {
    return connectionType == 3 || connectionType == 8;
}

// Any bytes as a 20-byte version text and a settings snapshot: reading must neither crash nor read past
// the input, and a snapshot it accepts must hold only masks in their slots and a record whose indexes
// stay within the program's tables once brought into range.
#include "storage/SettingsSnapshot.h"
#include "storage/SettingsSnapshotApply.h"

#include "state/DeviceSettings.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TDeviceSettings live = DefaultDeviceSettings();
    DeviceSettings = &live;
    QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    QByteArray body = input.mid(VersionTextSize);
    QBuffer stream(&body);
    stream.open(QIODevice::ReadOnly);
    QString error;
    const auto snapshot = ReadSettingsSnapshot(stream, input.left(VersionTextSize), QStringLiteral("/r9/Masks/"), error);
    if (!snapshot)
        return error.isEmpty() ? (std::abort(), 0) : 0;
    if (snapshot->WeightingX.size() != snapshot->WeightingY.size())
        std::abort();
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind)
        if (snapshot->LowerNames[std::size_t(kind)].size() != ParamTableRowCounts[kind] ||
            snapshot->Rows[std::size_t(kind)].size() != std::size_t(ParamTableRowCounts[kind]))
            std::abort();
    TDeviceSettings &s = snapshot->Settings;
    BringSettingsIntoRange(s);
    const bool sane = s.ConnectionType >= 0 && s.ConnectionType <= 12 && s.AdcSizeIndex >= 0 && s.AdcSizeIndex <= 4 &&
                      s.AdcSize == SpectrumSizes[std::size_t(s.AdcSizeIndex)] && std::isfinite(s.MaxFrequency) &&
                      s.MaxFrequency > 0 && s.MaxLevelIndex >= 0 && s.MaxLevelIndex <= 3;
    if (!sane)
        std::abort();
    return 0;
}

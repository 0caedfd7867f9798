// Any bytes as the instrument sections of an INI configuration: reading them must neither crash nor leave
// a value that indexes past a table or a buffer or divides by zero further on.
#include "storage/DeviceSettingsKeys.h"

#include "platform/IniFile.h"
#include "state/DeviceSettings.h"

#include <QTemporaryFile>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QTemporaryFile file;
    if (!file.open())
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    TDeviceSettings live = DefaultDeviceSettings();
    DeviceSettings = &live;
    TDeviceSettings copy = live;
    QStringList fileNames;
    TMemIniFile ini(file.fileName());
    ReadDeviceSettingsKeys(ini, copy, {QStringLiteral("/r9/Masks/"), &fileNames});

    const bool sane = copy.ConnectionType >= 0 && copy.ConnectionType <= 12 && copy.AdcSizeIndex >= 0 &&
                      copy.AdcSizeIndex <= 4 && copy.AdcSize == SpectrumSizes[std::size_t(copy.AdcSizeIndex)] &&
                      std::isfinite(copy.MaxFrequency) && copy.MaxFrequency > 0 && copy.MaxLevelIndex >= 0 &&
                      copy.MaxLevelIndex <= 3 && copy.MasterF.SetCount >= 0 && copy.MasterL.SetCount >= 0 &&
                      copy.Mirvak.SetCount >= 0 && copy.WeightingIndex >= 0 && copy.WeightingIndex < fileNames.size();
    if (!sane)
        std::abort();
    return 0;
}

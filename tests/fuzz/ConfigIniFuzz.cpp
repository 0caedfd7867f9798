// Any bytes as a configuration file, loaded the whole way (the instrument keys, the weighting file, the
// parameter tables with their mask templates, the apply): loading must neither crash nor leave a value
// that indexes past a table or a buffer or divides by zero further on, and must end idle.
#include "storage/Configuration.h"
#include "storage/ConfigurationServices.h"
#include "storage/SettingsSnapshotApply.h"

#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "state/SettingsLoadState.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// The program folder (debug.txt) and the mask folders of every input with one mask template (a.9pf),
// and no message box: the messages of a damaged file are answered as if OK was pressed, and every file
// asked for is not given.
struct FuzzProgram {
    FuzzProgram() {
        if (!dir.isValid() || !QDir(dir.path()).mkpath(QStringLiteral("Masks")))
            std::abort();
        QFile mask(dir.path() + QStringLiteral("/Masks/a.9pf"));
        if (!mask.open(QIODevice::WriteOnly))
            std::abort();
        mask.write("10 -20\n100 -30\n");
        mask.close();
        qputenv("R9_PROGRAM_DIR", dir.path().toLocal8Bit());
        ProgramVersionText = QStringLiteral("V6.11");
        BuildParamCatalogue();
        SetMessageBoxHandler([](const MessageRequest &) { return int(IdOk); });
        SnapshotServices().MaskDir = [this] { return dir.path() + QStringLiteral("/Masks/"); };
        ConfigurationServices().DirMaskFile = [this] { return dir.path() + QStringLiteral("/"); };
    }
    QTemporaryDir dir;
};

bool RowNamesInList(const ParameterTable &table) {
    for (int32_t i = 0; i < table.RowCount; ++i)
        for (const int16_t index : {table.Rows[i].Settings.LowerMaskName, table.Rows[i].Settings.UpperMaskName})
            if (index >= MaskNameList.size())
                return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static FuzzProgram program;
    const QString name = program.dir.path() + QStringLiteral("/input.cfg");
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();

    TDeviceSettings live = DefaultDeviceSettings();
    DeviceSettings = &live;
    LoadConfiguration(name);

    const TDeviceSettings &s = live;
    bool sane = s.ConnectionType >= 0 && s.ConnectionType <= 12 && s.AdcSizeIndex >= 0 && s.AdcSizeIndex <= 4 &&
                s.AdcSize == SpectrumSizes[std::size_t(s.AdcSizeIndex)] && std::isfinite(s.MaxFrequency) &&
                s.MaxFrequency > 0 && s.MaxLevelIndex >= 0 && s.MaxLevelIndex <= 3 && s.MasterF.SetCount >= 0 &&
                s.MasterL.SetCount >= 0 && s.Mirvak.SetCount >= 0 && s.WeightingIndex < FileNameList.size() &&
                SettingsLoadState == 1;
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind)
        sane = sane && RowNamesInList(ParameterTableOf(kind));
    for (const auto &slot : PendingMaskArray)
        for (const auto &mask : slot)
            sane = sane && (!mask || (mask->Scale >= 1 && mask->Scale <= 200));
    if (!sane)
        std::abort();
    FreeAllMasks();
    return 0;
}

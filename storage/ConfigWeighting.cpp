#include "storage/ConfigWeighting.h"

#include "storage/DeviceSettingsKeys.h"
#include "storage/FilePaths.h"

#include "engine/EngineBuffers.h"
#include "engine/masks/WeightingFile.h"

bool LoadWeightingFile(QString &path, const ConfigFileNames &names) {
    SetWeightingCurve(0, nullptr, nullptr);
    if (!LocateFile(path, names.MaskDir, names.DirMaskFile))
        return false;
    const auto points = ReadWeightingFile(path);
    if (!points || points->X.empty())
        return false;
    return SetWeightingCurve(int32_t(points->X.size()), points->X.data(), points->Y.data());
}

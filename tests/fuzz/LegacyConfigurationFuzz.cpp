// Any bytes as a legacy binary configuration: the version gate and the snapshot applied as a
// configuration must neither crash nor leave the settings record with a value that indexes past a table,
// and the stream must stand within the file for the layout block.
#include "storage/LegacyConfiguration.h"

#include "engine/catalogue/ParameterTable.h"
#include "platform/MessageService.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"

#include <QBuffer>

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// The rows the corpus seeds carry mask-file texts for (tests/storage/SnapshotTestState.h): the flag is
// not stored, so the reader must mark the same rows to read them.
void MarkSeedTextRows() {
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable t = ParameterTableOf(kind);
        for (int r = 0; r < t.RowCount; ++r)
            t.Rows[r].TextNorms = 0;
    }
    ParamTableSin[27].TextNorms = 1;
    ParamTableNoise[8].TextNorms = 1;
    ParamTableSync[6].TextNorms = 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static TDeviceSettings live = DefaultDeviceSettings();
    static const bool prepared = [] {
        MarkSeedTextRows();
        ProgramVersionText = QStringLiteral("V6.11");
        ConnectionKind = 1; // no link object: nothing is issued
        SetMessageBoxHandler([](const MessageRequest &) { return int(IdOk); });
        return true;
    }();
    (void)prepared;
    DeviceSettings = &live;
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    QByteArray version;
    if (ReadLegacyVersion(stream, QStringLiteral("fuzz.cfg"), version))
        ApplyLegacySnapshot(stream, QStringLiteral("fuzz.cfg"), version);
    const TDeviceSettings &s = live;
    const bool sane = s.ConnectionType >= 0 && s.ConnectionType <= 12 && s.AdcSizeIndex >= 0 && s.AdcSizeIndex <= 4 &&
                      s.AdcSize == SpectrumSizes[std::size_t(s.AdcSizeIndex)] && std::isfinite(s.MaxFrequency) &&
                      s.MaxFrequency > 0 && s.MaxLevelIndex >= 0 && s.MaxLevelIndex <= 3 && stream.pos() <= bytes.size();
    if (!sane)
        std::abort();
    return 0;
}

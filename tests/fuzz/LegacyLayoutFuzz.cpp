// Any bytes as the end of a legacy binary configuration: the first 20 bytes are taken as the file's
// version text, the rest as the layout block after its snapshot. Reading and applying must neither crash
// nor keep more than the block holds, nor leave a precision that the program cannot show.
#include "storage/LegacyLayout.h"

#include "engine/TimeSeries.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "state/ProgramSettings.h"
#include "state/SettingsLoadState.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool built = (BuildParamCatalogue(), true);
    (void)built;
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArrayView version = bytes.first(std::min<qsizetype>(20, bytes.size()));
    const QByteArrayView block = bytes.sliced(version.size());

    const TLegacyLayout layout = ParseLegacyLayout(block, version);
    // Every window entry takes at least its 26-byte head.
    if (qsizetype(layout.Windows.size()) * 26 > block.size())
        std::abort();
    for (const TLegacyWindowEntry &entry : layout.Windows)
        if (entry.Window.Index < 0 || entry.Window.Index > 38)
            std::abort();

    // As during a configuration load: the settings lock is held, no window exists.
    InitProgramSettings();
    SettingsLoadState = 2;
    ApplyLegacyLayout(layout);
    SettingsLoadState = 1;
    if (ProgramSettings.Precision < 1 || ProgramSettings.Precision > 10)
        std::abort();
    for (const auto &series : TimeSeriesSlots)
        if (series)
            std::abort();
    return 0;
}

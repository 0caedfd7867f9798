// Any bytes as a legacy binary scenario file: the first byte says whether it is read as a results file
// (bit 0), the rest is the file. Reading must neither crash nor read past the end, nor keep more rows
// than the bytes can hold.
#include "protocols/ScenarioLegacyReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const bool withResults = data[0] & 1;
    const QByteArray file(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const LegacyScenario scenario = ReadLegacyScenario(file, withResults);
    // A row takes at least its path length, flags, legacy values and the 450-byte message.
    constexpr qsizetype MinRowBytes = 2 + 2 + 4 + 2 + 4 + 2 + PauseMessageSize;
    if (qsizetype(scenario.Rows.size()) * MinRowBytes > file.size())
        std::abort();
    for (const LegacyScenarioRow &row : scenario.Rows)
        if (row.ConfigPath.size() > file.size())
            std::abort();
    return 0;
}

#include "protocols/ProtocolState.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/catalogue/ValueQuantizer.h"

#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cstring>

int32_t ProtocolState = 0;
QString ProtocolComment;
QString ProtocolStampText;
QString ProtocolPageStamp;
QString ProtocolKindName;
QString ProtocolConnName;
QString ProtocolRateName;
QString ProtocolEntryTitle;
QString ProtocolHeaderText;
std::array<QString, ProtocolPageCount> ProtocolFileNames;
std::array<QString, ProtocolPageCount> ProtocolFilePaths;
int32_t UnderRemoteControl = 0;
TProtocolHeader ProtocolHeader;

QString ProtocolCommentField() {
    const QString marker = QStringLiteral("<NOBR/NOBR>");
    return marker + QString(ProtocolCommentFieldSize - marker.size(), QLatin1Char(' '));
}

namespace {

// Little-endian, whatever the host: the block comes from files and from the peer.
template <typename T> T Get(const std::vector<uint8_t> &block, int offset) {
    uint8_t bytes[sizeof(T)];
    std::memcpy(bytes, block.data() + offset, sizeof(T));
    if constexpr (std::endian::native == std::endian::big)
        std::reverse(std::begin(bytes), std::end(bytes));
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

} // namespace

bool DecodeProtocolResults(const std::vector<uint8_t> &block, TProtocolHeader &header,
                           std::vector<ParamResult> &results) {
    using B = ProtocolResultsBlock;
    if (block.size() < std::size_t(B::Rows))
        return false;
    const int32_t kind = block[B::Kind];
    const int32_t count = block[B::RowCount];
    if (kind < FirstTableKind || kind > LastTableKind ||
        block.size() < std::size_t(B::Rows) + std::size_t(B::RowSize) * std::size_t(count))
        return false;
    TProtocolHeader h;
    h.Time = Get<double>(block, B::Time);
    h.Kind = kind;
    h.ConnectionType = block[B::ConnectionType];
    h.GeneratorKind = block[B::GeneratorKind];
    h.GenImpedance =
        float(DequantizeValue(ValueQuantizers[GeneratorImpedanceQuantizer], Get<uint16_t>(block, B::GenImpedance)));
    h.GenLowImpedance = block[B::GenLowImpedance];
    h.MeterImpedance =
        float(DequantizeValue(ValueQuantizers[MeterImpedanceQuantizer], Get<uint16_t>(block, B::MeterImpedance)));
    h.MeterHighImpedance = block[B::MeterHighImpedance];
    h.MaxLevelIndex = block[B::MaxLevelIndex];
    h.F0 = Get<float>(block, B::F0);
    h.F1 = Get<float>(block, B::F1);
    h.AdcIndex = block[B::AdcIndex];
    h.StepFactor = block[B::StepFactor];
    h.RowCount = count;
    const int32_t kept = std::min(count, ParameterTableOf(kind).RowCount);
    results.assign(std::size_t(kept), ParamResult{});
    for (int32_t i = 0; i < kept; ++i) {
        const int offset = B::Rows + i * B::RowSize;
        ParamResult &r = results[std::size_t(i)];
        r.Value = Get<float>(block, offset);
        r.Margin = Get<float>(block, offset + 4);
        r.Verdict = block[std::size_t(offset + 8)];
        std::memcpy(r.Reserved, block.data() + offset + 9, sizeof(r.Reserved));
    }
    header = h;
    return true;
}

std::vector<ParamDescriptor> ProtocolEntryRows(int32_t kind, const std::vector<ParamResult> &results) {
    const ParameterTable table = ParameterTableOf(kind);
    const std::size_t count = std::min(results.size(), std::size_t(std::max(table.RowCount, 0)));
    std::vector<ParamDescriptor> rows(table.Rows, table.Rows + count);
    for (std::size_t i = 0; i < count; ++i)
        rows[i].Result = results[i];
    return rows;
}

bool AppendToProtocolPage(int page, const QStringList &lines) {
    if (page < 0 || page >= ProtocolPageCount || ProtocolFilePaths[std::size_t(page)].isEmpty())
        return false;
    const QString &path = ProtocolFilePaths[std::size_t(page)];
    std::unique_ptr<QFile> file;
    const FileOpenMode mode = QFileInfo::exists(path) ? FileOpenMode::OpenWrite : FileOpenMode::Create;
    if (!OpenFileStream(file, path, mode, SeekOrigin::End))
        return false;
    return WriteTextToFile(*file, lines.join(QString()));
}

#include "protocols/ScenarioLegacyReader.h"

#include <QtEndian>

#include <cstring>
#include <optional>

namespace {

class LegacyBytes {
public:
    explicit LegacyBytes(const QByteArray &bytes) : bytes_(bytes) {}

    template <typename T> std::optional<T> Read() {
        if (Left() < qsizetype(sizeof(T)))
            return std::nullopt;
        const T value = qFromLittleEndian<T>(bytes_.constData() + at_);
        at_ += qsizetype(sizeof(T));
        return value;
    }

    bool Copy(char *to, qsizetype size) {
        if (Left() < size)
            return false;
        std::memcpy(to, bytes_.constData() + at_, std::size_t(size));
        at_ += size;
        return true;
    }

    // An int16 length, then that many bytes of text; a length of 0 or below is an empty text.
    std::optional<QString> Text() {
        const std::optional<int16_t> length = Read<int16_t>();
        if (!length)
            return std::nullopt;
        if (*length <= 0)
            return QString();
        if (Left() < *length)
            return std::nullopt;
        const QString text = FixedText(bytes_.constData() + at_, std::size_t(*length));
        at_ += *length;
        return text;
    }

private:
    qsizetype Left() const { return bytes_.size() - at_; }

    const QByteArray &bytes_;
    qsizetype at_ = 0;
};

std::optional<LegacyScenarioRow> ReadRow(LegacyBytes &in) {
    LegacyScenarioRow item;
    ScenarioRow &row = item.Row;
    const std::optional<QString> path = in.Text();
    const auto prt = in.Read<int16_t>();
    const auto factor = in.Read<float>();
    const auto remotePrt = in.Read<int16_t>();
    const auto value = in.Read<int32_t>();
    const auto pause = in.Read<int16_t>();
    if (!path || !prt || !factor || !remotePrt || !value || !pause || !in.Copy(row.PauseMessage, PauseMessageSize))
        return std::nullopt;
    item.ConfigPath = *path;
    row.Prt = *prt;
    row.LegacyFactor = *factor;
    row.RemotePrt = *remotePrt;
    row.LegacyValue = *value;
    row.PauseBefore = *pause;
    return item;
}

} // namespace

LegacyScenario ReadLegacyScenario(const QByteArray &bytes, bool withResults) {
    LegacyScenario scenario;
    LegacyBytes in(bytes);
    const auto kind = in.Read<int16_t>();
    const auto interval = in.Read<int32_t>();
    const auto count = in.Read<int16_t>();
    const std::optional<QString> comment = in.Text();
    const auto rows = in.Read<int16_t>();
    const std::optional<QString> name = withResults ? in.Text() : std::optional<QString>(QString());
    if (!kind || !interval || !count || !comment || !rows || !name) {
        scenario.Complete = false;
        return scenario;
    }
    scenario.RepeatKind = *kind;
    scenario.RepeatInterval = *interval;
    scenario.RepeatCount = *count;
    scenario.Comment = *comment;
    scenario.Name = *name;
    for (int i = 0; i < *rows; ++i) {
        std::optional<LegacyScenarioRow> row = ReadRow(in);
        if (!row) {
            scenario.Complete = false;
            break;
        }
        scenario.Rows.push_back(std::move(*row));
    }
    return scenario;
}

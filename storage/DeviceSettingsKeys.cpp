#include "storage/DeviceSettingsKeys.h"

#include "storage/DeviceSettingsKeyTable.h"
#include "storage/FilePaths.h"

#include "chartlib/Chartlib.h"
#include "platform/IniFile.h"

#include <QByteArray>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using Key = DeviceSettingsKey;

// The record is packed: its fields are reached by offset and copied, never by reference.
template <typename T> T FieldAt(const TDeviceSettings &record, std::size_t offset) {
    T value;
    std::memcpy(&value, reinterpret_cast<const char *>(&record) + offset, sizeof value);
    return value;
}

template <typename T> void SetFieldAt(TDeviceSettings &record, std::size_t offset, T value) {
    std::memcpy(reinterpret_cast<char *>(&record) + offset, &value, sizeof value);
}

// Integers as written: signed or unsigned at the field's width; the preset halves as unsigned bytes.
int IntegerOf(const TDeviceSettings &record, const Key &key) {
    switch (key.FieldWidth) {
    case Key::Width::I8:
        return FieldAt<int8_t>(record, key.Offset);
    case Key::Width::U8:
        return FieldAt<uint8_t>(record, key.Offset);
    case Key::Width::I16:
        return FieldAt<int16_t>(record, key.Offset);
    case Key::Width::HighByte:
        return (uint16_t(FieldAt<int16_t>(record, key.Offset)) >> 8) & 0xFF;
    case Key::Width::LowByte:
        return uint16_t(FieldAt<int16_t>(record, key.Offset)) & 0xFF;
    default:
        return FieldAt<int32_t>(record, key.Offset);
    }
}

// A value read keeps the low bytes that fit the field.
void SetInteger(TDeviceSettings &record, const Key &key, int value) {
    const uint16_t presets = uint16_t(FieldAt<int16_t>(record, key.Offset));
    switch (key.FieldWidth) {
    case Key::Width::I8:
    case Key::Width::U8:
        SetFieldAt(record, key.Offset, uint8_t(value));
        break;
    case Key::Width::I16:
        SetFieldAt(record, key.Offset, uint16_t(value));
        break;
    case Key::Width::HighByte:
        SetFieldAt(record, key.Offset, uint16_t((presets & 0x00FF) | ((value & 0xFF) << 8)));
        break;
    case Key::Width::LowByte:
        SetFieldAt(record, key.Offset, uint16_t((presets & 0xFF00) | (value & 0xFF)));
        break;
    default:
        SetFieldAt(record, key.Offset, int32_t(value));
        break;
    }
}

double Rounded(Key::Rounding rounding, double value) {
    switch (rounding) {
    case Key::Rounding::Frequency:
        return RoundFrequency(value);
    case Key::Rounding::ThreeDecimals:
        return RoundTo3Decimals(value);
    case Key::Rounding::None:
        break;
    }
    return value;
}

// Where a preset list lies: its rows end where its count byte starts.
struct PresetList {
    std::size_t FirstRow;
    int Capacity;
};

PresetList PresetListOf(const Key &key) {
    const int capacity = key.Step == Key::After::MasterRows ? MasterSetCapacity : MirvakSetCapacity;
    return {key.Offset - std::size_t(capacity) * sizeof(SetEntry), capacity};
}

QString RowKey(int row, const char *what) {
    return QStringLiteral("Строка набора №") + QString::number(row) + QString::fromUtf8(what);
}

int StoredRows(const TDeviceSettings &record, const Key &key) {
    const PresetList list = PresetListOf(key);
    return std::clamp<int>(FieldAt<int8_t>(record, key.Offset), 0, std::min(MaxStoredRowCount, list.Capacity));
}

// The master that an "Автомат по времени" key belongs to runs when its State (after Interval) is set.
bool MasterRunsUnderLink(const TDeviceSettings &record, const Key &key) {
    constexpr std::size_t toState = offsetof(MasterBlock, State) - offsetof(MasterBlock, AutoByTime);
    return record.ConnectState >= 1 && FieldAt<int32_t>(record, key.Offset + toState) >= 1;
}

void WriteKey(TCustomIniFile &ini, const TDeviceSettings &copy, const Key &key, const ConfigFileNames &names) {
    const QString section = QString::fromUtf16(key.Section);
    const QString ident = QString::fromUtf16(key.Key);
    if (key.FieldWidth == Key::Width::Text) {
        const int index = copy.WeightingIndex;
        if (index < 0 || !names.FileNameList || index >= names.FileNameList->size())
            return;
        QString path = names.FileNameList->at(index);
        MakeRelativePath(path, names.MaskDir);
        ini.WriteString(section, ident, path);
        return;
    }
    if (key.FieldWidth == Key::Width::F32) {
        ini.WriteFloat(section, ident, Rounded(key.Round, FieldAt<float>(copy, key.Offset)));
        return;
    }
    const bool forcedOn = key.Step == Key::After::AutoByTime && MasterRunsUnderLink(copy, key);
    ini.WriteInteger(section, ident, forcedOn ? 1 : IntegerOf(copy, key));
    if (key.Step != Key::After::MasterRows && key.Step != Key::After::MirvakRows)
        return;
    const PresetList list = PresetListOf(key);
    for (int row = 1; row <= StoredRows(copy, key); ++row) {
        const std::size_t at = list.FirstRow + std::size_t(row - 1) * sizeof(SetEntry);
        ini.WriteInteger(section, RowKey(row, " вкл"), FieldAt<uint8_t>(copy, at + offsetof(SetEntry, Checked)));
        ini.WriteFloat(section, RowKey(row, " значение"),
                       Rounded(key.Round, FieldAt<float>(copy, at + offsetof(SetEntry, Value))));
    }
}

// Everything a read needs besides the file: the live record and the ratio of the maximum frequencies.
class KeyReader {
public:
    KeyReader(TCustomIniFile &ini, TDeviceSettings &copy, const ConfigFileNames &names)
        : ini_(ini), copy_(copy), live_(*DeviceSettings), names_(names) {}

    QString Read() {
        version_ = ini_.ReadString(QStringLiteral("Общие"), QStringLiteral("Версия"),
                                   QString::fromLatin1(UnversionedConfigText));
        for (const Key &key : DeviceSettingsKeyTable())
            ReadKey(key);
        copy_.ConnectionType = std::clamp<int16_t>(int16_t(copy_.ConnectionType), 0, 12);
        return version_;
    }

private:
    double FloatDefault(const Key &key, double current) const {
        switch (key.Default) {
        case Key::Missing::CurrentScaled:
            return Rounded(key.Round, current * scale_);
        case Key::Missing::Constant:
            return key.Constant;
        case Key::Missing::LowestBin:
            return Rounded(key.Round, live_.SampleRate / 1024.0);
        case Key::Missing::MaxFrequency:
            return Rounded(key.Round, live_.MaxFrequency);
        default:
            return Rounded(key.Round, current);
        }
    }

    double ReadFloat(const QString &section, const QString &ident, const Key &key, double current) const {
        return ini_.ReadFloat(section, ident, FloatDefault(key, current));
    }

    void ReadKey(const Key &key) {
        const QString section = QString::fromUtf16(key.Section);
        const QString ident = QString::fromUtf16(key.Key);
        if (key.Default == Key::Missing::WrittenOnly)
            return;
        if (key.FieldWidth == Key::Width::Text)
            ReadWeighting(ini_.ReadString(section, ident, QString()));
        else if (key.FieldWidth == Key::Width::F32)
            SetFieldAt(copy_, key.Offset, float(ReadFloat(section, ident, key, FieldAt<float>(copy_, key.Offset))));
        else
            SetInteger(
                copy_, key,
                ini_.ReadInteger(section, ident,
                                 key.Default == Key::Missing::Constant ? int(key.Constant) : IntegerOf(copy_, key)));
        Recompute(key, section);
    }

    void Recompute(const Key &key, const QString &section) {
        switch (key.Step) {
        case Key::After::MaxFrequency:
            // A damaged file's maximum frequency would divide by zero or scale by nonsense further on.
            if (!(std::isfinite(copy_.MaxFrequency) && copy_.MaxFrequency > 0))
                copy_.MaxFrequency = live_.MaxFrequency;
            copy_.SampleRate = 2.5f * copy_.MaxFrequency;
            scale_ = double(copy_.MaxFrequency) / live_.MaxFrequency;
            copy_.Sin.MinFreq = copy_.SampleRate / 1024;
            copy_.Sin2.MinFreq = copy_.SampleRate / 256;
            copy_.Mtts.MinFreq = 2 * copy_.SampleRate / 1024;
            break;
        case Key::After::AdcSizeIndex:
        case Key::After::SpectrumStepIndex:
            RecomputeBlockSizeFields(copy_);
            break;
        case Key::After::MaxLevelIndex:
            // Files before V6.00 counted the maximum levels from another first entry.
            if (version_.toLatin1() < QByteArray(UnversionedConfigText))
                copy_.MaxLevelIndex = int8_t(copy_.MaxLevelIndex + 1);
            copy_.MaxLevelIndex = std::clamp<int8_t>(copy_.MaxLevelIndex, 0, 3);
            break;
        case Key::After::ControlFN:
            RecomputeControlToneFields(copy_);
            break;
        case Key::After::MasterRows:
        case Key::After::MirvakRows:
            ReadRows(key, section);
            break;
        case Key::After::MirvakFcN:
            if (copy_.Mirvak.FcN < copy_.Mirvak.Fc1) {
                const float fc1 = copy_.Mirvak.Fc1;
                copy_.Mirvak.Fc1 = copy_.Mirvak.FcN;
                copy_.Mirvak.FcN = fc1;
            }
            break;
        case Key::After::MirvakRunState:
            if (copy_.Mirvak.RunState > 0)
                copy_.Mirvak.RunActive = 1;
            break;
        default:
            break;
        }
    }

    void ReadRows(const Key &key, const QString &section) {
        // A negative count byte would read as an empty list anyway; stored as 0 it stays one.
        const int rows = StoredRows(copy_, key);
        SetFieldAt(copy_, key.Offset, int8_t(rows));
        const PresetList list = PresetListOf(key);
        for (int row = 1; row <= rows; ++row) {
            const std::size_t at = list.FirstRow + std::size_t(row - 1) * sizeof(SetEntry);
            const std::size_t checked = at + offsetof(SetEntry, Checked);
            const int on = ini_.ReadInteger(section, RowKey(row, " вкл"), FieldAt<uint8_t>(copy_, checked));
            SetFieldAt(copy_, checked, uint8_t(on != 0 ? 1 : 0));
            const std::size_t value = at + offsetof(SetEntry, Value);
            SetFieldAt(copy_, value,
                       float(ReadFloat(section, RowKey(row, " значение"), key, FieldAt<float>(copy_, value))));
        }
    }

    // An empty path is kept as well: the weighting then has no points.
    void ReadWeighting(QString path) {
        if (!names_.FileNameList)
            return;
        MakeAbsolutePath(path, names_.MaskDir);
        QStringList &list = *names_.FileNameList;
        const int index = live_.WeightingIndex;
        if (index < 0 || index >= list.size()) {
            list.append(path);
            copy_.WeightingIndex = int16_t(list.size() - 1);
        } else {
            list[index] = path;
            copy_.WeightingIndex = int16_t(index);
        }
    }

    TCustomIniFile &ini_;
    TDeviceSettings &copy_;
    const TDeviceSettings live_;
    const ConfigFileNames &names_;
    QString version_;
    double scale_ = 1.0;
};

} // namespace

void WriteDeviceSettingsKeys(TCustomIniFile &ini, const TDeviceSettings &copy, const ConfigFileNames &names) {
    for (const Key &key : DeviceSettingsKeyTable())
        WriteKey(ini, copy, key, names);
}

QString ReadDeviceSettingsKeys(TCustomIniFile &ini, TDeviceSettings &copy, const ConfigFileNames &names) {
    return KeyReader(ini, copy, names).Read();
}

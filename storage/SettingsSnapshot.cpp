#include "storage/SettingsSnapshot.h"

#include "chartlib/Chartlib.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/masks/MaskArray.h"
#include "platform/Cp1251.h"
#include "state/FileNameList.h"
#include "storage/FilePaths.h"

#include <QBuffer>

#include <cstring>
#include <limits>
#include <string_view>

namespace {

// The byte counts of the settings image written by older versions.
inline constexpr qint64 ImageSizeV116 = 2112;
inline constexpr qint64 ImageSizeV604 = 12218;

// Parameter rows that files older than a version did not carry: no record is read for them, and the
// working row keeps the live settings.
struct TSkippedRows {
    const char *OlderThan;
    int Kind;
    int First, Last;
};
constexpr TSkippedRows SkippedRowTable[] = {
    {"V2.00", 1, 30, 31}, {"V2.00", 3, 19, 20}, {"V2.00", 4, 10, 10}, {"V2.00", 5, 11, 12},
    {"V3.00", 2, 15, 15}, {"V3.00", 3, 9, 9},   {"V3.00", 3, 29, 46}, {"V3.00", 4, 11, 36},
    {"V3.01", 3, 47, 50}, {"V3.01", 4, 37, 40}, {"V6.05", 5, 13, 14},
};

bool RowSkipped(const QByteArray &version, int kind, int row) {
    for (const TSkippedRows &skip : SkippedRowTable)
        if (skip.Kind == kind && row >= skip.First && row <= skip.Last &&
            CompareVersionText(version, skip.OlderThan) < 0)
            return true;
    return false;
}

// --- writing ---

// Little-endian appends; the platforms we build for are little-endian, checked at compile time.
static_assert(std::endian::native == std::endian::little);

void Put(QByteArray &out, const void *data, qsizetype size) {
    out.append(static_cast<const char *>(data), size);
}
void PutInt16(QByteArray &out, int16_t v) {
    Put(out, &v, sizeof v);
}
void PutUInt8(QByteArray &out, uint8_t v) {
    Put(out, &v, sizeof v);
}
void PutFloat(QByteArray &out, float v) {
    Put(out, &v, sizeof v);
}

bool FitsInt16(qsizetype n) {
    return n >= 0 && n <= std::numeric_limits<int16_t>::max();
}

bool PutText(QByteArray &out, const QString &text) {
    const QByteArray bytes = ToCp1251(text);
    if (!FitsInt16(bytes.size()))
        return false;
    PutInt16(out, int16_t(bytes.size()));
    out.append(bytes);
    return true;
}

QString FileNameEntry(int16_t index) {
    return index >= 0 && index < FileNameList.size() ? FileNameList.at(index) : QString();
}

bool PutWeightingBlock(QByteArray &out, const TDeviceSettings &settings) {
    const int32_t count = WeightingCurve.Count > 0 ? WeightingCurve.Count : 0;
    if (!FitsInt16(count))
        return false;
    PutInt16(out, int16_t(count));
    if (count == 0)
        return true;
    Put(out, WeightingCurve.Frequencies, count * qsizetype(sizeof(float)));
    Put(out, WeightingCurve.Attenuations, count * qsizetype(sizeof(float)));
    return PutText(out, FileNameWithoutFolder(FileNameEntry(settings.WeightingIndex)));
}

bool PutParamBlock(QByteArray &out) {
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int i = 0; i < table.RowCount; ++i) {
            const ParamDescriptor &row = table.Rows[i];
            Put(out, &row.Settings, sizeof row.Settings);
            if (row.TextNorms == 1 && !(PutText(out, MaskNameAt(row.Settings.LowerMaskName)) &&
                                        PutText(out, MaskNameAt(row.Settings.UpperMaskName))))
                return false;
        }
    }
    return true;
}

bool PutMask(QByteArray &out, int slot, int side, const TMASK &mask) {
    if (!FitsInt16(mask.Count()) || !FitsInt16(mask.Names.size()))
        return false;
    PutInt16(out, int16_t(slot));
    PutInt16(out, int16_t(side));
    PutInt16(out, mask.Upper ? 1 : 0);
    PutInt16(out, mask.Active ? 1 : 0);
    PutInt16(out, mask.Scale);
    PutInt16(out, int16_t(mask.Count()));
    for (const TMaskPoint &p : mask.Points) {
        PutFloat(out, float(p.x));
        PutFloat(out, float(p.y));
    }
    PutInt16(out, int16_t(mask.Names.size()));
    for (const QString &name : mask.Names)
        if (!PutText(out, name))
            return false;
    PutUInt8(out, mask.IsLine);
    PutUInt8(out, mask.Width);
    return true;
}

bool PutMaskBlock(QByteArray &out) {
    int count = 0;
    for (const auto &slot : MaskArray)
        for (const auto &mask : slot)
            count += mask ? 1 : 0;
    PutInt16(out, int16_t(count)); // at most 88 masks
    for (int slot = 0; slot < MaskSlotCount; ++slot)
        for (int side = 0; side < 2; ++side)
            if (const TMASK *mask = MaskArray[slot][side].get(); mask && !PutMask(out, slot, side, *mask))
                return false;
    return true;
}

// --- reading ---

bool Fail(QString &error, const QString &what) {
    error = QStringLiteral("Снимок настроек повреждён: ") + what;
    return false;
}

bool ReadBytes(QBuffer &stream, void *data, qint64 size) {
    return size >= 0 && stream.bytesAvailable() >= size && stream.read(static_cast<char *>(data), size) == size;
}

bool ReadInt16(QBuffer &stream, int16_t &v) {
    return ReadBytes(stream, &v, sizeof v);
}

// An int16 count that must be 0 or more and whose items of itemSize bytes must lie within the stream.
bool ReadCount(QBuffer &stream, int16_t &count, qint64 itemSize) {
    return ReadInt16(stream, count) && count >= 0 && stream.bytesAvailable() >= count * itemSize;
}

bool ReadText(QBuffer &stream, QString &text) {
    int16_t length = 0;
    if (!ReadCount(stream, length, 1))
        return false;
    text = FromCp1251(stream.read(length));
    return true;
}

// A stored file name with the mask folder in front unless it is absolute; empty stays empty.
bool ReadFileName(QBuffer &stream, const QString &maskDir, QString &name) {
    if (!ReadText(stream, name))
        return false;
    MakeAbsolutePath(name, maskDir);
    return true;
}

bool ReadMaskRecord(QBuffer &stream, const QByteArray &version, const QString &maskDir,
                    std::unique_ptr<TMASK> (&masks)[MaskSlotCount][2], QString &error) {
    int16_t slot = 0, side = 0, upper = 0, active = 0, scale = 0, points = 0, files = 0;
    if (!ReadInt16(stream, slot) || !ReadInt16(stream, side))
        return Fail(error, QStringLiteral("маска обрывается"));
    // Before the master characteristics moved, their masks sat in slots 14 and 15.
    if (CompareVersionText(version, "V1.16") <= 0 && (slot == 14 || slot == 15))
        slot = int16_t(slot + 2);
    if (slot < 0 || slot >= MaskSlotCount || side < 0 || side > 1)
        return Fail(error, QStringLiteral("маска для места %1/%2").arg(slot).arg(side));
    if (!ReadInt16(stream, upper) || !ReadInt16(stream, active) || !ReadInt16(stream, scale) ||
        !ReadCount(stream, points, 2 * sizeof(float)))
        return Fail(error, QStringLiteral("точки маски"));
    auto mask = std::make_unique<TMASK>();
    mask->Upper = upper != 0;
    mask->Active = active != 0;
    mask->Scale = scale;
    GetParamDefaultRange(mask->XMin, mask->XMax, slot);
    FindParamDescriptor(mask->YMin, mask->YMax, mask->CodeSteps, mask->WireBytes, slot);
    mask->Points.resize(std::size_t(points));
    for (TMaskPoint &p : mask->Points) {
        float xy[2];
        ReadBytes(stream, xy, sizeof xy); // within the stream: checked with the count
        p.x = RoundFrequency(xy[0]);
        p.y = RoundFrequency(xy[1]);
    }
    if (!ReadCount(stream, files, sizeof(int16_t)))
        return Fail(error, QStringLiteral("файлы маски"));
    for (int i = 0; i < files; ++i) {
        QString name;
        if (!ReadText(stream, name))
            return Fail(error, QStringLiteral("имя файла маски"));
        mask->Names << name;
        mask->Paths << maskDir + name;
    }
    if (CompareVersionText(version, "V6.03") >= 0 &&
        !(ReadBytes(stream, &mask->IsLine, 1) && ReadBytes(stream, &mask->Width, 1)))
        return Fail(error, QStringLiteral("вид маски"));
    masks[slot][side] = std::move(mask);
    return true;
}

} // namespace

int CompareVersionText(const QByteArray &version, const char *text) {
    const std::string_view own(
        version.constData(),
        strnlen(version.constData(), std::size_t(std::min<qsizetype>(version.size(), VersionTextSize))));
    const int order = own.compare(std::string_view(text));
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

void StoreGenStatesForFile(TDeviceSettings &settings) {
    const auto stored = [](int32_t state) { return state == -1 ? 0 : state; };
    for (GenBlock *block :
         {&settings.Sin, &settings.Sin2, &settings.Mtts, &settings.Rnd, &settings.Block, &settings.Noise})
        block->State = stored(block->State);
    for (int i = 0; i < 5; ++i)
        settings.RemoteGenState[i] = stored(settings.RemoteGenState[i]);
    settings.RemoteNoiseState = stored(settings.RemoteNoiseState);
    settings.MasterF.State = stored(settings.MasterF.State);
    settings.MasterL.State = stored(settings.MasterL.State);
    settings.Mirvak.RunState = stored(settings.Mirvak.RunState);
    settings.SyncGenState = stored(settings.SyncGenState);
}

int32_t WriteSettingsSnapshot(QBuffer &stream, const TDeviceSettings &settings) {
    TDeviceSettings image = settings;
    StoreGenStatesForFile(image);
    QByteArray out;
    Put(out, &image, sizeof image);
    if (!PutWeightingBlock(out, settings) || !PutParamBlock(out) || !PutMaskBlock(out))
        return 0;
    if (!WriteToStream(stream, out.constData(), out.size()))
        return 0;
    return int32_t(out.size());
}

bool ReadSettingsImage(QBuffer &stream, const QByteArray &version, const TDeviceSettings &live, TDeviceSettings &image,
                       QString &error) {
    std::array<uint8_t, sizeof(TDeviceSettings)> buffer{};
    const auto fromLive = [&](std::size_t first, std::size_t last) {
        std::memcpy(buffer.data() + first, reinterpret_cast<const uint8_t *>(&live) + first, last - first + 1);
    };
    if (CompareVersionText(version, "V1.16") <= 0) {
        // No NOISE generator, phasogram or masters yet: gaps opened where they belong, filled from the
        // running program with the masters stopped; the selective and SYNC parts stay zero.
        if (!ReadBytes(stream, buffer.data(), ImageSizeV116))
            return Fail(error, QStringLiteral("настройки прибора"));
        InsertZeroBytes(buffer.data(), buffer.size(), 189, 32, 12188);
        InsertZeroBytes(buffer.data(), buffer.size(), 290, 6, 12220);
        fromLive(290, 294);
        fromLive(189, 220);
        fromLive(offsetof(TDeviceSettings, MasterF), offsetof(TDeviceSettings, Mirvak) - 1);
        std::memcpy(&image, buffer.data(), buffer.size());
        image.MasterF.State = 0;
        image.MasterL.State = 0;
        return true;
    }
    if (CompareVersionText(version, "V6.04") <= 0) {
        // The selective block lacked its last two fields (spectrum-shift frequency, cable length).
        if (!ReadBytes(stream, buffer.data(), ImageSizeV604))
            return Fail(error, QStringLiteral("настройки прибора"));
        InsertZeroBytes(buffer.data(), buffer.size(), 12184, 8, std::size_t(ImageSizeV604));
    } else if (!ReadBytes(stream, buffer.data(), qint64(buffer.size()))) {
        return Fail(error, QStringLiteral("настройки прибора"));
    }
    std::memcpy(&image, buffer.data(), buffer.size());
    return true;
}

bool ReadWeightingBlock(QBuffer &stream, const QString &maskDir, std::vector<float> &x, std::vector<float> &y,
                        QString &name, QString &error) {
    int16_t count = 0;
    if (!ReadCount(stream, count, 2 * sizeof(float)))
        return Fail(error, QStringLiteral("весовая характеристика"));
    x.assign(std::size_t(count), 0.0f);
    y.assign(std::size_t(count), 0.0f);
    name.clear();
    if (count == 0)
        return true;
    ReadBytes(stream, x.data(), count * qint64(sizeof(float)));
    ReadBytes(stream, y.data(), count * qint64(sizeof(float)));
    if (!ReadFileName(stream, maskDir, name))
        return Fail(error, QStringLiteral("имя файла весовой характеристики"));
    return true;
}

bool ReadParamTableBlock(QBuffer &stream, const QByteArray &version, int kind, const QString &maskDir,
                         std::vector<ParamDescriptor> &rows, QStringList &lowerNames, QStringList &upperNames,
                         QString &error) {
    for (int i = 0; i < int(rows.size()); ++i) {
        QString lower, upper;
        if (!RowSkipped(version, kind, i)) {
            ParamSettings settings;
            if (!ReadBytes(stream, &settings, sizeof settings))
                return Fail(error, QStringLiteral("таблица параметров %1, строка %2").arg(kind).arg(i));
            rows[std::size_t(i)].Settings = settings;
            if (rows[std::size_t(i)].TextNorms == 1 &&
                !(ReadFileName(stream, maskDir, lower) && ReadFileName(stream, maskDir, upper)))
                return Fail(error, QStringLiteral("маски строки %2 таблицы параметров %1").arg(kind).arg(i));
        }
        lowerNames << lower;
        upperNames << upper;
    }
    return true;
}

bool ReadMaskBlock(QBuffer &stream, const QByteArray &version, const QString &maskDir,
                   std::unique_ptr<TMASK> (&masks)[MaskSlotCount][2], QString &error) {
    int16_t count = 0;
    if (!ReadInt16(stream, count) || count < 0)
        return Fail(error, QStringLiteral("число масок"));
    for (int i = 0; i < count; ++i)
        if (!ReadMaskRecord(stream, version, maskDir, masks, error))
            return false;
    return true;
}

std::unique_ptr<TSettingsSnapshot> ReadSettingsSnapshot(QBuffer &stream, const QByteArray &version,
                                                        const QString &maskDir, QString &error) {
    auto snapshot = std::make_unique<TSettingsSnapshot>();
    if (!ReadSettingsImage(stream, version, *DeviceSettings, snapshot->Settings, error) ||
        !ReadWeightingBlock(stream, maskDir, snapshot->WeightingX, snapshot->WeightingY, snapshot->WeightingName,
                            error))
        return nullptr;
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        snapshot->Rows[std::size_t(kind)].assign(table.Rows, table.Rows + table.RowCount);
        if (!ReadParamTableBlock(stream, version, kind, maskDir, snapshot->Rows[std::size_t(kind)],
                                 snapshot->LowerNames[std::size_t(kind)], snapshot->UpperNames[std::size_t(kind)],
                                 error))
            return nullptr;
    }
    if (!ReadMaskBlock(stream, version, maskDir, snapshot->Masks, error))
        return nullptr;
    return snapshot;
}

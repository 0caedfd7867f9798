#include "storage/SettingsSnapshot.h"

#include "SnapshotTestState.h"
#include "chartlib/Chartlib.h"
#include "storage/SettingsSnapshotApply.h"

#include <QBuffer>

namespace {

QByteArray Version(const QByteArray &fixture) { return fixture.left(VersionTextSize); }
QByteArray Body(const QByteArray &fixture) { return fixture.mid(VersionTextSize); }

QByteArray LiveImage() { return QByteArray(reinterpret_cast<const char *>(DeviceSettings), sizeof(TDeviceSettings)); }
QByteArray ImageOf(const TDeviceSettings &s) { return QByteArray(reinterpret_cast<const char *>(&s), sizeof s); }

std::unique_ptr<TSettingsSnapshot> Read(const QByteArray &fixture, QString &error, qint64 *left = nullptr) {
    QByteArray body = Body(fixture);
    QBuffer stream(&body);
    stream.open(QIODevice::ReadOnly);
    auto snapshot = ReadSettingsSnapshot(stream, Version(fixture), SnapshotMaskFolder, error);
    if (left)
        *left = stream.bytesAvailable();
    return snapshot;
}

TEST(VersionText, ComparesBytewiseUpToTheFirstNul) {
    QByteArray v("V6.04");
    v.resize(VersionTextSize, '\0');
    EXPECT_EQ(CompareVersionText(v, "V6.04"), 0);
    EXPECT_LT(CompareVersionText(v, "V6.05"), 0);
    EXPECT_GT(CompareVersionText(v, "V1.16"), 0);
    EXPECT_GT(CompareVersionText(QByteArray(30, 'V'), "VVVVV"), 0); // only 20 bytes count, no terminator needed
}

using SettingsSnapshot = SnapshotTestState;

TEST_F(SettingsSnapshot, FixedStateWritesTheGoldenBytes) {
    SetFixedState();
    const QByteArray golden = Body(ReadFixture(QStringLiteral("snapshot_v611.bin")));
    QByteArray out("prefix");
    QBuffer stream(&out);
    stream.open(QIODevice::WriteOnly | QIODevice::Append);
    EXPECT_EQ(WriteSettingsSnapshot(stream, *DeviceSettings), golden.size());
    EXPECT_EQ(out.mid(6), golden);
    EXPECT_EQ(DeviceSettings->Sin.State, -1); // the live record keeps its state
}

TEST_F(SettingsSnapshot, AWeightingBlockWithoutPointsIsTwoBytes) {
    SetWeightingCurve(0, nullptr, nullptr);
    QByteArray out;
    QBuffer stream(&out);
    stream.open(QIODevice::WriteOnly);
    const int32_t size = WriteSettingsSnapshot(stream, *DeviceSettings);
    EXPECT_EQ(out.mid(sizeof(TDeviceSettings), 2), QByteArray(2, '\0'));
    EXPECT_EQ(size, out.size());
}

TEST_F(SettingsSnapshot, CountsBeyondSixteenBitsAreRefusedAndNothingIsWritten) {
    auto mask = std::make_unique<TMASK>();
    mask->Points.resize(40000);
    MaskArray[5][0] = std::move(mask);
    QByteArray out("kept");
    QBuffer stream(&out);
    stream.open(QIODevice::WriteOnly | QIODevice::Append);
    EXPECT_EQ(WriteSettingsSnapshot(stream, *DeviceSettings), 0);
    EXPECT_EQ(out, QByteArray("kept"));
}

TEST_F(SettingsSnapshot, GoldenSnapshotReadsIntoWorkingCopies) {
    const QByteArray fixture = ReadFixture(QStringLiteral("snapshot_v611.bin"));
    SetFixedState();
    *DeviceSettings = DefaultDeviceSettings(); // RoundFrequency follows a sane maximum frequency
    QString error;
    qint64 left = -1;
    const auto s = Read(fixture, error, &left);
    ASSERT_TRUE(s) << error.toStdString();
    EXPECT_EQ(left, 0);
    EXPECT_EQ(ImageOf(s->Settings), Body(fixture).left(sizeof(TDeviceSettings)));
    EXPECT_EQ(s->WeightingX, (std::vector<float>{0.3f, 1.0f, 3.4f}));
    EXPECT_EQ(s->WeightingY, (std::vector<float>{-1.5f, 0.0f, 2.25f}));
    EXPECT_EQ(s->WeightingName, SnapshotMaskFolder + QStringLiteral("Псоф.9wf"));
    for (int kind = FirstTableKind; kind <= LastTableKind; ++kind)
        for (int r = 0; r < ParamTableRowCounts[kind]; ++r) {
            const auto *bytes = reinterpret_cast<const uint8_t *>(&s->Rows[std::size_t(kind)][std::size_t(r)].Settings);
            for (int j : {0, 4, 21, 39})
                ASSERT_EQ(bytes[j], RowByte(kind, r, j)) << kind << " " << r;
        }
    EXPECT_EQ(s->LowerNames[1].at(27), SnapshotMaskFolder + QStringLiteral("a.9pf;b.9pf;"));
    EXPECT_EQ(s->UpperNames[1].at(27), QString());
    EXPECT_EQ(s->UpperNames[5].at(8), QStringLiteral("/r9/Masks/Шум.9nf;")); // absolute: taken as it is
    const TMASK *upper = s->Masks[3][0].get();
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->Scale, 80);
    EXPECT_EQ(upper->Active, 1);
    EXPECT_EQ(upper->Width, 2);
    ASSERT_EQ(upper->Count(), 2);
    EXPECT_DOUBLE_EQ(upper->Points[1].x, RoundFrequency(3.4f));
    EXPECT_DOUBLE_EQ(upper->Points[1].y, RoundFrequency(-20.5f));
    EXPECT_EQ(upper->Names, (QStringList{QStringLiteral("a.9pf"), QStringLiteral("Б.9pf")}));
    EXPECT_EQ(upper->Paths.at(1), SnapshotMaskFolder + QStringLiteral("Б.9pf"));
    const TMASK *lower = s->Masks[17][1].get();
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->Upper, 0);
    EXPECT_EQ(lower->IsLine, 1);
    EXPECT_EQ(lower->Width, 3);
}

// Old snapshots: the image migrated, the rows the version lacked left as they were, the mask records
// shorter, and every byte of the snapshot consumed.
struct OldFile {
    const char *Fixture;
    const char *MigratedImage; // null: the image is read as it stands
    int UpperSlot, LowerSlot;
    bool MaskStyle;
    int SkippedKind, SkippedRow, ReadKind, ReadRow;
};

class OldSnapshots : public SnapshotTestState, public ::testing::WithParamInterface<OldFile> {};

TEST_P(OldSnapshots, MigrateByTheirVersion) {
    const OldFile &f = GetParam();
    const QByteArray fixture = ReadFixture(QString::fromLatin1(f.Fixture));
    SetFixedState(); // the text-norm rows the fixtures were written with
    *DeviceSettings = DefaultDeviceSettings();
    ParameterTableOf(f.SkippedKind).Rows[f.SkippedRow].Settings.LowerNorm = 1234.5f;
    QString error;
    qint64 left = -1;
    const auto s = Read(fixture, error, &left);
    ASSERT_TRUE(s) << error.toStdString();
    EXPECT_EQ(left, 0);
    EXPECT_EQ(s->Rows[std::size_t(f.SkippedKind)][std::size_t(f.SkippedRow)].Settings.LowerNorm, 1234.5f);
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(&s->Rows[std::size_t(f.ReadKind)][std::size_t(f.ReadRow)].Settings)[1],
              RowByte(f.ReadKind, f.ReadRow, 1));
    ASSERT_TRUE(s->Masks[f.UpperSlot][0]);
    ASSERT_TRUE(s->Masks[f.LowerSlot][1]);
    EXPECT_EQ(s->Masks[f.LowerSlot][1]->IsLine, f.MaskStyle ? 1 : 0);
    EXPECT_EQ(s->Masks[f.UpperSlot][0]->Width, f.MaskStyle ? 2 : 1);

    // The image alone, against the live pattern, compared with the script's migration.
    TDeviceSettings live{};
    auto *liveBytes = reinterpret_cast<uint8_t *>(&live);
    for (std::size_t i = 0; i < sizeof live; ++i)
        liveBytes[i] = LiveByte(i);
    QByteArray body = Body(fixture);
    QBuffer stream(&body);
    stream.open(QIODevice::ReadOnly);
    TDeviceSettings image{};
    ASSERT_TRUE(ReadSettingsImage(stream, Version(fixture), live, image, error));
    EXPECT_EQ(ImageOf(image), ReadFixture(QString::fromLatin1(f.MigratedImage)));
}

INSTANTIATE_TEST_SUITE_P(Versions, OldSnapshots,
                         ::testing::Values(OldFile{"snapshot_v116.bin", "image_v116_migrated.bin", 16, 17, false, 1, 30, 1, 27},
                                           OldFile{"snapshot_v604.bin", "image_v604_migrated.bin", 3, 17, true, 5, 13, 5, 12},
                                           OldFile{"snapshot_v602.bin", "image_v604_migrated.bin", 3, 17, false, 5, 14, 4, 40}));

TEST_F(SettingsSnapshot, TheCurrentImageIsReadAsItStands) {
    QByteArray body(sizeof(TDeviceSettings), '\x5A');
    QBuffer stream(&body);
    stream.open(QIODevice::ReadOnly);
    TDeviceSettings image{};
    QString error;
    ASSERT_TRUE(ReadSettingsImage(stream, "V6.05", *DeviceSettings, image, error));
    EXPECT_EQ(ImageOf(image), body);
}

// Every cut of a snapshot and every value that cannot be right is refused, and nothing live changes.
TEST_F(SettingsSnapshot, DamagedSnapshotsChangeNothingLive) {
    SetFixedState();
    *DeviceSettings = DefaultDeviceSettings();
    QByteArray good = ReadFixture(QStringLiteral("snapshot_v611.bin"));
    // The mask block: its count, a record of two points and two names (46 bytes), one of one point (24).
    const int masks = good.size() - 2 - 46 - 24;

    std::vector<QByteArray> damaged;
    for (int size = VersionTextSize; size < good.size(); size += size < good.size() - 200 ? 97 : 1)
        damaged.push_back(good.left(size));
    const auto patched = [&](int offset, int16_t value) {
        QByteArray b = good;
        std::memcpy(b.data() + offset, &value, sizeof value);
        return b;
    };
    const int weighting = VersionTextSize + int(sizeof(TDeviceSettings));
    damaged.push_back(patched(weighting, -1));     // weighting count
    damaged.push_back(patched(weighting, 30000));  // more points than bytes
    damaged.push_back(patched(masks, -2));         // mask count
    damaged.push_back(patched(masks, 3));          // one mask more than written
    damaged.push_back(patched(masks + 2, 44));     // slot
    damaged.push_back(patched(masks + 2, -1));     // slot
    damaged.push_back(patched(masks + 4, 2));      // side
    damaged.push_back(patched(masks + 12, -1));    // point count
    damaged.push_back(patched(masks + 12, 9000));  // point count
    damaged.push_back(patched(masks + 30, 500));   // file count
    damaged.push_back(patched(masks + 32, 500));   // first name length beyond the end

    const QByteArray before = LiveImage();
    const QStringList fileNames = FileNameList, maskNames = MaskNameList;
    const float lowerNorm = ParamTableSin[5].Settings.LowerNorm;
    for (const QByteArray &bytes : damaged) {
        QByteArray body = Body(bytes);
        QBuffer stream(&body);
        stream.open(QIODevice::ReadOnly);
        QString error;
        ASSERT_FALSE(ApplySettingsSnapshot(stream, SnapshotMode::Configuration, Version(bytes), &error)) << bytes.size();
        EXPECT_TRUE(error.startsWith(QStringLiteral("Снимок настроек повреждён")));
        ASSERT_EQ(LiveImage(), before);
    }
    EXPECT_EQ(FileNameList, fileNames);
    EXPECT_EQ(MaskNameList, maskNames);
    EXPECT_EQ(ParamTableSin[5].Settings.LowerNorm, lowerNorm);
    for (const auto &slot : PendingMaskArray)
        EXPECT_FALSE(slot[0] || slot[1]);
    EXPECT_EQ(WeightingCurve.Count, 3);
}

} // namespace

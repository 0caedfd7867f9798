#pragma once

// The live state a settings snapshot reads and writes, saved before each test and put back after it, and
// the fixed state that the golden snapshot fixtures (make_snapshot_fixtures.py) describe.

#include "engine/EngineBuffers.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "state/DeviceSettings.h"
#include "state/FileNameList.h"
#include "state/MainGlobals.h"
#include "support/Fixtures.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <array>
#include <cstring>
#include <vector>

// The mask folder the tests read snapshots against.
inline const QString SnapshotMaskFolder = QStringLiteral("/r9/Masks/");

inline QByteArray ReadFixture(const QString &name) {
    QFile file(FixturePath(QStringLiteral("storage/") + name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
}

// The patterns both the fixtures' script and the tests compute.
inline uint8_t ImageByte(std::size_t i) {
    return uint8_t(i * 7 + 3);
}
inline uint8_t LiveByte(std::size_t i) {
    return uint8_t(i * 3 + 2);
}
inline uint8_t RowByte(int kind, int row, int j) {
    return uint8_t(kind * 37 + row * 11 + j * 3);
}

// The rows the fixtures carry mask-file texts for, with their indexes into MaskNameList.
struct TTextRow {
    int Kind, Row;
    int16_t Lower, Upper;
};
inline constexpr TTextRow FixtureTextRows[] = {{1, 27, 0, -1}, {5, 8, -1, 1}, {7, 6, -1, -1}};

class SnapshotTestState : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = DeviceSettings;
        DeviceSettings = &record_;
        record_ = DefaultDeviceSettings();
        savedFileNames_ = FileNameList;
        savedMaskNames_ = MaskNameList;
        // Every test starts from rows without mask templates, whatever the tests before left.
        for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable t = ParameterTableOf(kind);
            savedTables_[std::size_t(kind)].assign(t.Rows, t.Rows + t.RowCount);
            for (int r = 0; r < t.RowCount; ++r) {
                t.Rows[r].TextNorms = 0;
                t.Rows[r].Settings.LowerMaskName = -1;
                t.Rows[r].Settings.UpperMaskName = -1;
            }
        }
        savedKind_ = ConnectionKind;
        savedWeighting_.assign(WeightingCurve.Frequencies, WeightingCurve.Frequencies + WeightingCurve.Count);
        savedWeightingY_.assign(WeightingCurve.Attenuations, WeightingCurve.Attenuations + WeightingCurve.Count);
        ClearMasks();
    }

    void TearDown() override {
        ClearMasks();
        SetWeightingCurve(int32_t(savedWeighting_.size()), savedWeighting_.data(), savedWeightingY_.data());
        ConnectionKind = savedKind_;
        for (int kind = FirstTableKind; kind <= LastTableKind; ++kind)
            std::copy(savedTables_[std::size_t(kind)].begin(), savedTables_[std::size_t(kind)].end(),
                      ParameterTableOf(kind).Rows);
        MaskNameList = savedMaskNames_;
        FileNameList = savedFileNames_;
        DeviceSettings = savedSettings_;
    }

    static void ClearMasks() {
        for (int slot = 0; slot < MaskSlotCount; ++slot)
            for (int side = 0; side < 2; ++side) {
                MaskArray[slot][side].reset();
                PendingMaskArray[slot][side].reset();
            }
    }

    // The state of snapshot_v611.bin: patterned record and rows, three text-norm rows (the flag cleared
    // on every other row), a three-point weighting characteristic and two masks.
    void SetFixedState() {
        auto *bytes = reinterpret_cast<uint8_t *>(DeviceSettings);
        for (std::size_t i = 0; i < sizeof(TDeviceSettings); ++i)
            bytes[i] = ImageByte(i);
        DeviceSettings->Sin.State = -1; // a failed start is stored as off
        DeviceSettings->WeightingIndex = 1;
        FileNameList = {QStringLiteral("x"), QStringLiteral("C:\\Masks\\Псоф.9wf")};
        MaskNameList = {QStringLiteral("a.9pf;b.9pf;"), QStringLiteral("/r9/Masks/Шум.9nf;")};
        for (int kind = FirstTableKind; kind <= LastTableKind; ++kind) {
            const ParameterTable t = ParameterTableOf(kind);
            for (int r = 0; r < t.RowCount; ++r) {
                auto *s = reinterpret_cast<uint8_t *>(&t.Rows[r].Settings);
                for (int j = 0; j < 40; ++j)
                    s[j] = RowByte(kind, r, j);
                t.Rows[r].Settings.LowerMaskName = -1;
                t.Rows[r].Settings.UpperMaskName = -1;
                t.Rows[r].TextNorms = 0;
            }
        }
        for (const TTextRow &row : FixtureTextRows) {
            ParamDescriptor &d = ParameterTableOf(row.Kind).Rows[row.Row];
            d.TextNorms = 1;
            d.Settings.LowerMaskName = row.Lower;
            d.Settings.UpperMaskName = row.Upper;
        }
        const float x[] = {0.3f, 1.0f, 3.4f}, y[] = {-1.5f, 0.0f, 2.25f};
        SetWeightingCurve(3, x, y);
        auto upper = std::make_unique<TMASK>();
        upper->Upper = 1;
        upper->Active = 1;
        upper->Scale = 80;
        upper->Points = {{0.3, -10.0}, {3.4, -20.5}};
        upper->Names = {QStringLiteral("a.9pf"), QStringLiteral("Б.9pf")};
        upper->IsLine = 0;
        upper->Width = 2;
        MaskArray[3][0] = std::move(upper);
        auto lower = std::make_unique<TMASK>();
        lower->Upper = 0;
        lower->Active = 0;
        lower->Scale = 100;
        lower->Points = {{1.0, -30.0}};
        lower->IsLine = 1;
        lower->Width = 3;
        MaskArray[17][1] = std::move(lower);
    }

    // A live record other than every fixture's: the pattern LiveByte.
    void SetLivePattern() {
        auto *bytes = reinterpret_cast<uint8_t *>(DeviceSettings);
        for (std::size_t i = 0; i < sizeof(TDeviceSettings); ++i)
            bytes[i] = LiveByte(i);
    }

    TDeviceSettings record_{};

private:
    TDeviceSettings *savedSettings_ = nullptr;
    QStringList savedFileNames_, savedMaskNames_;
    std::array<std::vector<ParamDescriptor>, LastTableKind + 1> savedTables_;
    std::vector<float> savedWeighting_, savedWeightingY_;
    int16_t savedKind_ = 0;
};

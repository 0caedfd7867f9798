#include "storage/LegacyConfiguration.h"

#include "SnapshotTestState.h"
#include "platform/MessageService.h"
#include "storage/SettingsSnapshot.h"
#include "storage/SettingsSnapshotApply.h"

#include <QBuffer>

namespace {

// The start of the layout block in the legacy fixtures: the program-settings image pattern.
QByteArray LayoutStart() {
    QByteArray b(256, '\0');
    for (int i = 0; i < 256; ++i)
        b[i] = char(uint8_t(i * 13 + 5));
    return b;
}

class LegacyConfiguration : public SnapshotTestState {
protected:
    void SetUp() override {
        SnapshotTestState::SetUp();
        savedVersion_ = ProgramVersionText;
        savedServices_ = SnapshotServices();
        SnapshotServices() = {};
        SnapshotServices().MaskDir = [] { return SnapshotMaskFolder; };
        ProgramVersionText = QStringLiteral("V6.11");
        ConnectionKind = 1; // no link object: nothing is issued
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages_ << request.text;
            return int(IdOk);
        });
        *DeviceSettings = DefaultDeviceSettings();
    }
    void TearDown() override {
        SetMessageBoxHandler({});
        SetBatchMessageSink({});
        SnapshotServices() = savedServices_;
        ProgramVersionText = savedVersion_;
        SnapshotTestState::TearDown();
    }

    // Both steps of a legacy load over the file's bytes; the stream's position after them.
    bool Load(QByteArray bytes, qint64 *position = nullptr) {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        QByteArray version;
        const bool loaded = ReadLegacyVersion(stream, QStringLiteral("old.cfg"), version) &&
                            ApplyLegacySnapshot(stream, QStringLiteral("old.cfg"), version);
        if (position)
            *position = stream.pos();
        return loaded;
    }

    QStringList messages_;

private:
    QString savedVersion_;
    TSnapshotServices savedServices_;
};

QByteArray WithVersion(QByteArray file, const char *version) {
    QByteArray v(version);
    v.resize(VersionTextSize, '\0');
    file.replace(0, VersionTextSize, v);
    return file;
}

// The gate before the snapshot: what the version text alone decides.
TEST_F(LegacyConfiguration, VersionsOutsideTheReadableRangeAreRefusedAndChangeNothing) {
    const QByteArray file = ReadFixture(QStringLiteral("legacy_v611.cfg"));
    struct Case {
        const char *Version;
        bool Accepted;
    };
    const TDeviceSettings before = *DeviceSettings;
    for (const Case &c : {Case{"V3.04", false}, Case{"V3.99", false}, Case{"V4.00", true}, Case{"V6.11", true},
                          Case{"V6.12", false}, Case{"V7.00", false}, Case{"", false}}) {
        SCOPED_TRACE(c.Version);
        messages_.clear();
        QByteArray bytes = WithVersion(file, c.Version);
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        QByteArray version;
        EXPECT_EQ(ReadLegacyVersion(stream, QStringLiteral("old.cfg"), version), c.Accepted);
        EXPECT_EQ(messages_.size(), c.Accepted ? 0 : 1);
        EXPECT_EQ(stream.pos(), VersionTextSize);
    }
    EXPECT_EQ(std::memcmp(&before, DeviceSettings, sizeof before), 0);
}

TEST_F(LegacyConfiguration, TheRefusalNamesTheFileAndBothVersions) {
    QByteArray version("V7.00");
    version.resize(VersionTextSize, '\0');
    EXPECT_EQ(LegacyVersionMessage(QStringLiteral("C:\\cfg\\old.cfg"), version),
              QStringLiteral("Версия файла конфигурации:\nC:\\cfg\\old.cfg:   [V7.00]\nне совпадает с версией программы "
                             "R9:   [V6.11]\n\nДля конвертации файла конфигурации\nнеобходимо использовать программу "
                             "R-9 версии [3.xx]\nДля этого загрузите конфигурацию в программе R-9 версии "
                             "[3.хх]\nи сохраните еще раз под тем же именем."));
}

TEST_F(LegacyConfiguration, InBatchModeARefusalEndsTheBatchWithMinusFive) {
    int code = 0;
    SetBatchMessageSink([&](const MessageRequest &request) {
        code = request.batchCode;
        return int(IdOk);
    });
    EXPECT_FALSE(Load(WithVersion(ReadFixture(QStringLiteral("legacy_v611.cfg")), "V3.00")));
    EXPECT_EQ(code, -5);
    EXPECT_TRUE(messages_.isEmpty());
}

// The file this program's writer makes, and an older one that is migrated; both leave the stream on the
// layout block.
TEST_F(LegacyConfiguration, AReadFileLeavesTheStreamAtTheLayoutBlock) {
    for (const char *name : {"legacy_v611.cfg", "legacy_v604.cfg"}) {
        SCOPED_TRACE(name);
        SetFixedState(); // the text-norm rows the fixtures were written with
        *DeviceSettings = DefaultDeviceSettings();
        const QByteArray file = ReadFixture(QString::fromLatin1(name));
        qint64 position = 0;
        ASSERT_TRUE(Load(file, &position));
        EXPECT_EQ(file.mid(position, 256), LayoutStart());
        EXPECT_EQ(position + 256 + 2, file.size());
    }
    // The older image: the selective block's last eight bytes were missing and are zero, the SYNC fields
    // behind them moved up.
    const QByteArray old = ReadFixture(QStringLiteral("legacy_v604.cfg")).mid(VersionTextSize);
    const auto *live = reinterpret_cast<const char *>(DeviceSettings);
    EXPECT_EQ(QByteArray(live + 12184, 8), QByteArray(8, '\0'));
    EXPECT_EQ(QByteArray(live + 12192, 20), old.mid(12184, 20));
}

TEST_F(LegacyConfiguration, DuringPlaybackOnlyTheMeterViewIsTaken) {
    SetFixedState();
    *DeviceSettings = DefaultDeviceSettings();
    const TDeviceSettings before = *DeviceSettings;
    PlaybackOn = true;
    const bool loaded = Load(ReadFixture(QStringLiteral("legacy_v611.cfg")));
    PlaybackOn = false;
    ASSERT_TRUE(loaded);
    const auto *bytes = reinterpret_cast<const uint8_t *>(DeviceSettings);
    for (std::size_t i = offsetof(TDeviceSettings, CableVelocity); i < offsetof(TDeviceSettings, AveragingInterval); ++i)
        EXPECT_EQ(bytes[i], ImageByte(i));
    EXPECT_EQ(DeviceSettings->ConnectionType, before.ConnectionType);
    EXPECT_EQ(DeviceSettings->Sin.F1, before.Sin.F1);
}

TEST_F(LegacyConfiguration, ADamagedSnapshotIsReportedAndChangesNothing) {
    const QByteArray file = ReadFixture(QStringLiteral("legacy_v611.cfg")).left(15000);
    const TDeviceSettings before = *DeviceSettings;
    EXPECT_FALSE(Load(file));
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_TRUE(messages_.first().startsWith(QStringLiteral("old.cfg:\nСнимок настроек повреждён")));
    EXPECT_EQ(std::memcmp(&before, DeviceSettings, sizeof before), 0);
}

} // namespace

#include "MainFixture.h"

#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/SstResultItem.h"
#include "engine/catalogue/ParameterTable.h"
#include "link/InstrumentIdent.h"
#include "link/MeterFrameStore.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Cp1251.h"
#include "platform/DateTime.h"
#include "shell/StatusBar2.h"
#include "state/SettingsLoadState.h"

#include <QLabel>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstring>
#include <numeric>
#include <vector>

namespace {

constexpr double TicksPerDay = 86400.0 * 1024.0;

// The CRC of the identification image, written bit by bit from its definition (reflected polynomial
// 0xA001, initial value 0), apart from the program's table-driven one.
uint16_t BitwiseCrc16(const uint8_t *data, std::size_t length) {
    uint16_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

// An identification image with known fields, calibration bytes that are all non-zero, and a check sum
// that is right unless `damaged`.
std::array<int16_t, 1024> IdentImage(bool damaged) {
    std::array<uint8_t, 2048> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i % 251 + 1);
    const auto put16 = [&bytes](std::size_t at, uint16_t v) {
        bytes[at] = uint8_t(v);
        bytes[at + 1] = uint8_t(v >> 8);
    };
    put16(0, 1234);    // serial number
    put16(2, 242);     // hardware version x 100
    put16(32, 0xABC1); // delivery variant 0xABC, calibrated
    put16(38, 4321);   // calibration date
    put16(36, 0);
    put16(36, uint16_t(BitwiseCrc16(bytes.data(), bytes.size()) ^ (damaged ? 1 : 0)));
    std::array<int16_t, 1024> words{};
    std::memcpy(words.data(), bytes.data(), bytes.size());
    return words;
}

class MainEventsTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ConnectionKind = 0;
        Start({QStringLiteral("/demo")});
        messages.clear();
        SettingsLoadState = 1;
        SignalKind = 0;
        RunStart = NowStamp = 45000.0;
    }
    void TearDown() override {
        SettingsLoadState = 1;
        MainWindowTest::TearDown();
    }

    // Offers a block of n samples 100, 101, ... at instrument time t.
    void Block(uint32_t n, uint32_t t = 1024) {
        std::vector<int16_t> samples(n);
        std::iota(samples.begin(), samples.end(), int16_t(100));
        window->DspAdcArray(samples.data(), n, t);
    }
};

TEST_F(MainEventsTest, BlockLengthDecidesWhetherTheBlockIsTaken) {
    struct Case {
        int32_t blockSize;
        uint32_t n;
        bool taken;
    };
    const Case cases[] = {
        {2048, 2048, true},  {2048, 2046, true},  {4096, 2046, false}, {4096, 4096, true},
        {2048, 4096, false}, {2048, 2047, false}, {2048, 0, false},    {32768, 32768, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.blockSize << " / " << c.n);
        DeviceSettings->AdcSize = c.blockSize;
        std::fill_n(EngineBuffers.AdcSampleBuffer, MaxBlockSize, int16_t(-7));
        NowStamp = RunStart;
        Block(c.n, 2048);
        const int16_t *buffer = EngineBuffers.AdcSampleBuffer;
        EXPECT_EQ(NowStamp > RunStart, c.taken);
        if (!c.taken) {
            EXPECT_EQ(buffer[0], -7);
            continue;
        }
        EXPECT_EQ(buffer[0], 100);
        EXPECT_EQ(buffer[2045], 100 + 2045);
        if (c.n == 2046) {
            EXPECT_EQ(buffer[2046], 100);
            EXPECT_EQ(buffer[2047], 101);
        } else {
            EXPECT_EQ(buffer[c.n - 1], int16_t(100 + c.n - 1));
        }
    }
}

TEST_F(MainEventsTest, NothingIsTakenWhileSettingsAreRebuilt) {
    DeviceSettings->AdcSize = 2048;
    SettingsLoadState = 2;
    Block(2048, 5 * 1024);
    EXPECT_EQ(NowStamp, RunStart);
    EXPECT_EQ(SettingsLoadState, 2);
    // The time panel still follows the instrument.
    EXPECT_EQ(window->Panel_Time->text(), QStringLiteral("00:00:05"));
    SettingsLoadState = 1;
    Block(2048, 5 * 1024);
    EXPECT_EQ(SettingsLoadState, 1);
    EXPECT_GT(NowStamp, RunStart);
}

TEST_F(MainEventsTest, TimeStampsFollowTheInstrumentAndNeverMoveBack) {
    DeviceSettings->AdcSize = 2048;
    LastDataTime = 0;
    Block(2048, 3 * 1024 + 512);
    EXPECT_NEAR((NowStamp - RunStart) * 86400.0, 3.5, 1e-6);
    EXPECT_NEAR(LastDataTime, Now(), 1.0 / 86400);
    const double newest = NowStamp;
    Block(2048, 1024);
    EXPECT_EQ(NowStamp, newest);
    Block(2048, 3661 * 1024);
    EXPECT_NEAR(NowStamp, RunStart + 3661 * 1024 / TicksPerDay, 1e-9);
    EXPECT_EQ(window->Panel_Time->text(), QStringLiteral("01:01:01"));
}

TEST_F(MainEventsTest, SyncPulsesAreCountedOverTheWholeField) {
    DeviceSettings->AdcSize = 2048;
    TDeviceSettings &s = *DeviceSettings;
    s.SyncGenState = 2;
    s.SyncMonitoring = 0;
    s.SyncCountPulse = 300;
    s.SyncPulseCount = 255;
    Block(2048);
    EXPECT_EQ(s.SyncPulseCount, 256);
    EXPECT_EQ(s.SyncGenState, 2);
    s.SyncPulseCount = 298;
    Block(2048);
    EXPECT_EQ(s.SyncGenState, 2);
    Block(2048);
    EXPECT_EQ(s.SyncPulseCount, 300);
    EXPECT_EQ(s.SyncGenState, 3);
    s.SyncGenState = 1;
    s.SyncMonitoring = 1;
    Block(2048);
    EXPECT_EQ(s.SyncPulseCount, 300);
}

TEST_F(MainEventsTest, IdentificationFillsTheIdentAndChecksTheImage) {
    struct Case {
        uint16_t firmware;
        bool damaged;
        bool firmwareWarning;
    };
    const QString firmwareText = QStringLiteral("Версия встроенного ПО DSP устарела. Обновите файл r9_307.i00!");
    const QString crcText =
        QStringLiteral("Контрольная сумма в EEPROM анализатора не совпадает!\nОбратитесь в фирму-производитель.");
    for (const Case &c : {Case{1041, false, true}, Case{1042, false, false}, Case{1044, true, false}}) {
        SCOPED_TRACE(c.firmware);
        messages.clear();
        const auto image = IdentImage(c.damaged);
        window->DspIdent(307, c.firmware, "12.03.2013 10:11:12 and more text", image.data());
        std::vector<QString> texts;
        for (const MessageRequest &m : messages) {
            texts.push_back(m.text);
            EXPECT_EQ(m.caption, QStringLiteral("Предупреждение"));
            EXPECT_EQ(m.icon, MsgIcon::Warning);
        }
        std::vector<QString> expected;
        if (c.firmwareWarning)
            expected.push_back(firmwareText);
        if (c.damaged)
            expected.push_back(crcText);
        EXPECT_EQ(texts, expected);

        const uint8_t *original = reinterpret_cast<const uint8_t *>(image.data());
        for (std::size_t i = 0; i < 2048; ++i) {
            const bool zeroed = c.damaged && i >= 140 && i <= 667;
            ASSERT_EQ(EepromImage[i], zeroed ? 0 : original[i]) << "byte " << i;
        }
        const TInstrumentIdent id = InstrumentIdent;
        EXPECT_EQ(id.DspFirmwareVersion, c.firmware);
        EXPECT_EQ(id.DspLogicVersion, 307);
        EXPECT_EQ(QByteArray(id.DspFirmwareDate), QByteArray("12.03.2013 10:11:12 "));
        EXPECT_EQ(id.SerialNumber, 1234);
        EXPECT_EQ(id.HardwareVersion, 242);
        EXPECT_EQ(id.DeliveryVariant, 0xABC);
        EXPECT_EQ(id.Calibrated, 1);
        EXPECT_EQ(id.CalibrationDate, 4321);
        EXPECT_EQ(id.ProgramVersion, 611);
        EXPECT_EQ(id.DesignVariant, int32_t(0x08070605));
        EXPECT_TRUE(window->Timer_PowerStatus->isActive());
    }
}

TEST_F(MainEventsTest, TheIdentStartsWithTheProgramsOwnFields) {
    const TInstrumentIdent id = InstrumentIdent;
    EXPECT_EQ(id.ProgramVersion, 611);
    EXPECT_EQ(DateToText(id.ProgramDate), QStringLiteral("14.02.2014"));
    EXPECT_EQ(FromCp1251(QByteArray(id.DspFirmwareDate)), QStringLiteral("Нет данных!"));
    EXPECT_EQ(id.DspFirmwareVersion, -1);
    EXPECT_EQ(id.SerialNumber, -1);
}

TEST_F(MainEventsTest, MeterFramesAreTakenOnlyWhileEventsAreCounted) {
    DeviceSettings->EventCounting = 1;
    SignalKind = 1;
    window->DspMetCadr(1, 10, 20, 30, 40, 5, 2048);
    EXPECT_EQ(MeterFrameStore.Kind, 1);
    EXPECT_EQ(MeterFrameStore.Q0, 10);
    EXPECT_EQ(MeterFrameStore.Q1, 20);
    EXPECT_EQ(MeterFrameStore.Q2, 30);
    EXPECT_EQ(MeterFrameStore.Q3, 40);
    EXPECT_EQ(window->Panel_ComOver->text(), QStringLiteral("5"));
    EXPECT_NEAR((NowStamp - RunStart) * 86400, 2.0, 1e-6);

    struct Refusal {
        uint8_t counting;
        int32_t kind;
        int16_t loadState;
    };
    for (const Refusal &r : {Refusal{0, 1, 1}, Refusal{1, 0, 1}, Refusal{1, -1, 1}, Refusal{1, 1, 2}}) {
        DeviceSettings->EventCounting = r.counting;
        SignalKind = r.kind;
        SettingsLoadState = r.loadState;
        window->DspMetCadr(3, 1, 1, 1, 1, 9, 100 * 1024);
        EXPECT_EQ(MeterFrameStore.Kind, 1);
        EXPECT_EQ(window->Panel_ComOver->text(), QStringLiteral("5"));
    }
}

TEST_F(MainEventsTest, DisconnectReportsItsReasonAndRequestsTheStop) {
    struct Case {
        int16_t err;
        int16_t v;
        const char *text;
    };
    const Case cases[] = {
        {1, 0, "Пропадание сигнала CTS -  выключение или разрыв связи."},
        {2, 0, "Зависание DSP"},
        {3, 0x0A, "Отказ модуля ASW, v = 0x0A"},
        {3, -1, "Отказ модуля ASW, v = 0xFF"},
        {4, 0, "Отказ аналогового питания."},
        {9, 0, ""},
    };
    for (const Case &c : cases) {
        messages.clear();
        CommandFailed = false;
        window->StopRequest = false;
        window->DspDisconnect(c.err, c.v);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(messages[0].caption, QStringLiteral("Ошибка"));
        EXPECT_TRUE(CommandFailed);
        EXPECT_TRUE(window->StopRequest);
    }
    CommandFailed = false;
}

TEST_F(MainEventsTest, AdcAndDacFaultsAreCountedAndWarnedOnlyInTechnologyMode) {
    window->DspAdcDacErr(1, 0);
    window->DspAdcDacErr(0, 1);
    window->DspAdcDacErr(1, 1);
    EXPECT_EQ(window->Panel_AdcDacErr->text(), QStringLiteral("2/2"));
    EXPECT_TRUE(messages.empty());
    TechnologyMode = true;
    window->DspAdcDacErr(1, 0);
    window->DspAdcDacErr(1, 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Сбой АЦП. Обнаружен пропуск данных АЦП."));
    EXPECT_EQ(messages[1].text, QStringLiteral("Сбой ЦАП. Обнаружено неуспевание ЦАП."));
    EXPECT_EQ(window->Panel_AdcDacErr->text(), QStringLiteral("4/3"));
}

TEST_F(MainEventsTest, TransferProgressCoversAZeroTotal) {
    struct Case {
        uint32_t total;
        uint32_t done;
        int in;
        int out;
    };
    // in = trunc(5 i / N + 0.5), out = in + 1 capped at 5; an empty transfer has nothing done.
    const Case cases[] = {{0, 0, 0, 1}, {0, 7, 0, 1},  {10, 0, 0, 1},  {10, 1, 1, 2}, {10, 5, 3, 4},
                          {3, 1, 2, 3}, {10, 9, 5, 5}, {10, 10, 5, 5}, {10, 25, 5, 5}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.total << " " << c.done);
        window->DspMesInpProgress(c.total, c.done);
        EXPECT_EQ(window->TransferProgress, c.in);
        EXPECT_EQ(window->StatusBar2->PanelText(3), QStringLiteral("Прием сообщения"));
        window->DspMesOutProgress(c.total, c.done);
        EXPECT_EQ(window->TransferProgress, c.out);
        EXPECT_EQ(window->StatusBar2->PanelText(3), QStringLiteral("Передача команды"));
    }
}

TEST_F(MainEventsTest, OverheatTextIsShownOnceAndClearedOnlyWhenShown) {
    const QString text = QStringLiteral(" Перегрев генератора.Отключите на 5 мин!");
    window->StatusBar2->SetPanelText(3, QStringLiteral("Перегрузка измерительного входа по уровню"));
    window->DspGenOverheat(0);
    EXPECT_EQ(window->StatusBar2->PanelText(3), QStringLiteral("Перегрузка измерительного входа по уровню"));
    window->DspGenOverheat(1);
    window->DspGenOverheat(1);
    EXPECT_EQ(window->StatusBar2->PanelText(3), text);
    window->DspGenOverheat(0);
    EXPECT_EQ(window->StatusBar2->PanelText(3), QString());
}

TEST_F(MainEventsTest, SelectiveItemsKeptDuringALoadAreProcessedAfterIt) {
    DeviceSettings->Mirvak.DeviceSubMode = 3;
    DeviceSettings->Mirvak.SubMode = 0;
    SettingsLoadState = 2;
    for (uint32_t i = 1; i <= 3; ++i)
        window->DspSstRez(i, -double(i), 1000 * i, 1024 * i, int16_t(i), 0);
    EXPECT_EQ(SignalKind, 6);
    ASSERT_EQ(window->BufferedSstItems().size(), 3u);
    EXPECT_EQ(window->BufferedSstItems()[2].Time, 3 * 1024u);
    EXPECT_EQ(window->SstBufferCapacity(), 3u * 340);
    EXPECT_EQ(NowStamp, RunStart);

    SettingsLoadState = 1;
    window->DspSstRez(4, -4, 4000, 4 * 1024, 4, 0);
    EXPECT_TRUE(window->BufferedSstItems().empty());
    EXPECT_EQ(window->SstBufferCapacity(), 0u);
    EXPECT_EQ(window->LastSstTime, 4 * 1024u);
    EXPECT_EQ(SstResultItem.FreqCode, 4000u);
    EXPECT_EQ(SstResultItem.Re, 4);
    EXPECT_EQ(SstResultItem.SstNotScan, 1);
    EXPECT_EQ(window->Panel_SSTErr->text(), QStringLiteral("4"));
    EXPECT_NEAR((NowStamp - RunStart) * 86400, 4.0, 1e-6);
    EXPECT_EQ(SettingsLoadState, 1);
}

TEST_F(MainEventsTest, ANearlyFullSelectiveBufferIsReplayedAtOnce) {
    DeviceSettings->Mirvak.DeviceSubMode = 1;
    SettingsLoadState = 2;
    for (uint32_t i = 0; i < 337; ++i)
        window->DspSstRez(0, 0, i, 0, 0, 0);
    EXPECT_EQ(window->BufferedSstItems().size(), 337u);
    // A changed sub-mode does not make the buffer that exists any larger.
    DeviceSettings->Mirvak.DeviceSubMode = 5;
    window->DspSstRez(0, 0, 337, 0, 0, 0);
    EXPECT_TRUE(window->BufferedSstItems().empty());
    EXPECT_EQ(SstResultItem.FreqCode, 337u);
}

TEST_F(MainEventsTest, ReplayAfterTheLoadWaitsForTheEndOfAPass) {
    DeviceSettings->Mirvak.DeviceSubMode = 3;
    SettingsLoadState = 2;
    window->DspSstRez(0, 0, 1, 0, 0, 0);
    DeviceSettings->Mirvak.RunState = 2;
    window->ReplaySstResults();
    EXPECT_EQ(window->BufferedSstItems().size(), 1u);
    window->DspSstRez(0, 0, 2, 0, 0, 2);
    DeviceSettings->Mirvak.RunState = 0;
    window->ReplaySstResults();
    EXPECT_EQ(window->BufferedSstItems().size(), 2u);
    DeviceSettings->Mirvak.RunState = 2;
    window->ReplaySstResults();
    EXPECT_TRUE(window->BufferedSstItems().empty());
    EXPECT_EQ(SstResultItem.FreqCode, 2u);
    EXPECT_EQ(SstResultItem.SstNotScan, 1);
}

TEST_F(MainEventsTest, MeterShiftMovesTheSelectiveFrequency) {
    TDeviceSettings &s = *DeviceSettings;
    s.SampleRate = 640;
    s.Mirvak.FcM = 100;
    // d = trunc(100 / 640 x 2^32) = 671088640
    const uint32_t d = 671088640u;
    struct Case {
        int32_t options;
        uint32_t code;
        uint32_t expected;
    };
    for (const Case &c :
         {Case{0, 5000, 5000}, Case{1, 5000, d - 5000}, Case{3, d + 5000, 5000}, Case{3, 5000, uint32_t(5000 - d)}}) {
        s.Mirvak.Options = c.options;
        window->ProcessSstItem({0, 0, c.code, 0, 0, 0});
        EXPECT_EQ(SstResultItem.FreqCode, c.expected) << c.options;
        EXPECT_EQ(SstResultItem.SstNotScan, 0);
    }
    s.Mirvak.SubMode = 1;
    window->ProcessSstItem({0, 0, 1, 1024, 0, 0});
    EXPECT_EQ(SstResultItem.SstNotScan, 0);
    window->ProcessSstItem({0, 0, 1, 1024, 0, 1});
    EXPECT_EQ(SstResultItem.SstNotScan, 1);
}

} // namespace

// The instrument's SYNC result is the pulse duration in steps of 100 us; it is taken only while a SYNC
// run is on and the settings are not being rebuilt, and only below 32768.
TEST_F(MainWindowTest, TheSyncResultBecomesThePulseDurationInMicroseconds) {
    TMainForm &form = Start();
    struct Case {
        int32_t syncState;
        int16_t loadState;
        uint32_t value;
        float expected;
    };
    const Case cases[] = {{1, 1, 250, 25000}, {2, 1, 32767, 3276700},   {2, 1, 32768, NoValue},
                          {0, 1, 250, NoValue}, {3, 1, 250, NoValue}, {1, 2, 250, NoValue}};
    for (const Case &c : cases) {
        ParamTableSync[3].Result.Value = NoValue;
        DeviceSettings->SyncGenState = c.syncState;
        SettingsLoadState = c.loadState;
        form.DspSyncMet(c.value);
        EXPECT_FLOAT_EQ(ParamTableSync[3].Result.Value, c.expected) << c.value << ' ' << c.syncState;
        EXPECT_EQ(SettingsLoadState, c.loadState);
    }
    SettingsLoadState = 1;
}

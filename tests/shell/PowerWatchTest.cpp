#include "shell/PowerWatch.h"

#include <gtest/gtest.h>

#include <array>

namespace {

constexpr float External = 0x60; // BATT_LOW clear would be a fault: bit 6 set, bit 5 external supply
constexpr float OnBattery = 0x40;

struct Table {
    std::array<PowerStateEntry, PowerStateCount> rows{};
    uint8_t bc = 0;
    TPowerWatchState state;

    Table(float status, float charge) {
        rows[1].Value = status;
        rows[0].Value = charge;
        rows[2].WarningFormat = QStringLiteral("Аккумулятор разряжен! = %d%%");
        rows[6].WarningFormat = QStringLiteral("V_PASS = %5.2f В [%5.2f,%5.2f]");
    }

    TPowerTick Tick(uint32_t now, bool technology = false, bool batch = false) {
        TPowerTick tick;
        tick.Now = now;
        tick.TechnologyMode = technology;
        tick.BatchMode = batch;
        PowerWatchStep(rows, bc, state, tick);
        return tick;
    }
};

} // namespace

TEST(PowerWatch, BatteryIconByChargeAndSupply) {
    struct Case {
        float status;
        float charge;
        int icon;
        const char *hint;
    };
    const Case cases[] = {
        {External, 50, 0, "Прибор питается от сети"},
        {OnBattery, 95, 1, "95% - Прибор питается от аккумулятора"},
        {OnBattery, 90, 2, "90% - Прибор питается от аккумулятора"},
        {OnBattery, 66, 2, "66% - Прибор питается от аккумулятора"},
        {OnBattery, 65, 3, "65% - Прибор питается от аккумулятора"},
        {OnBattery, 41, 3, "41% - Прибор питается от аккумулятора"},
        {OnBattery, 13, 4, "13% - Прибор питается от аккумулятора"},
        {OnBattery, 12, 5, "12% - Аккумулятор необходимо зарядить!"},
        {OnBattery, 0, 5, "0% - Аккумулятор необходимо зарядить!"},
    };
    for (const Case &c : cases) {
        Table t(c.status, c.charge);
        const TPowerTick tick = t.Tick(1000);
        EXPECT_EQ(t.state.BatteryIcon, c.icon) << c.charge;
        EXPECT_EQ(PowerText(t.state, t.rows[0]), QString::fromUtf8(c.hint)) << c.charge;
        EXPECT_FALSE(tick.StopRequest);
        EXPECT_FALSE(t.state.PowerFaultShown);
    }
}

TEST(PowerWatch, ABatteryOutOfToleranceAlternatesTheDischargedImages) {
    Table t(OnBattery, 30);
    t.rows[0].Ok = 0;
    t.rows[0].WarningFormat = QStringLiteral("Аккумулятор = %d%%");
    t.Tick(1000);
    EXPECT_EQ(t.state.BatteryIcon, 5);
    t.rows[0].Value = 29;
    const TPowerTick tick = t.Tick(2000);
    EXPECT_EQ(t.state.BatteryIcon, 6);
    EXPECT_EQ(tick.Warning, QStringLiteral("Аккумулятор = 29%"));
}

TEST(PowerWatch, TheFaultCountdownRunsSixtySecondsAndClearsWhenTheReadingIsBack) {
    Table t(External, 50);
    t.rows[6].Ok = 0;
    t.rows[6].Value = 9.5f;
    t.rows[6].LowLimit = 10.8f;
    t.rows[6].HighLimit = 13.2f;
    struct Step {
        uint32_t now;
        const char *countdown;
        bool stop;
    };
    const Step steps[] = {{5000, "01:00", false},  {6000, "00:59", false}, {6999, "00:59", false},
                          {64000, "00:01", false}, {65000, "00:00", true}, {90000, "00:00", true}};
    for (const Step &s : steps) {
        const TPowerTick tick = t.Tick(s.now);
        EXPECT_EQ(tick.Countdown, QString::fromLatin1(s.countdown)) << s.now;
        EXPECT_EQ(tick.StopRequest, s.stop) << s.now;
        EXPECT_TRUE(t.state.PowerFaultShown);
        EXPECT_EQ(tick.Warning, QStringLiteral("V_PASS =  9.50 В [10.80,13.20]"));
    }

    // Back inside the limits: the reading clears WarnState and Ok; the countdown is gone and starts anew.
    t.rows[6].Ok = 1;
    t.rows[6].WarnState = 0;
    TPowerTick tick = t.Tick(91000);
    EXPECT_FALSE(t.state.PowerFaultShown);
    EXPECT_TRUE(tick.Countdown.isEmpty());
    t.rows[6].Ok = 0;
    tick = t.Tick(100000);
    EXPECT_EQ(tick.Countdown, QStringLiteral("01:00"));
}

TEST(PowerWatch, ServiceModeWarnsOnceInsteadOfStopping) {
    Table t(External, 50);
    t.rows[6].Ok = 0;
    t.Tick(1000, true);
    const TPowerTick end = t.Tick(61000, true);
    EXPECT_FALSE(end.StopRequest);
    EXPECT_TRUE(end.ArmMessageTimer);
}

TEST(PowerWatch, OnTheExternalSupplyTheBatteryEntriesAreNotJudged) {
    Table t(External, 5);
    t.rows[0].Ok = 0;
    t.rows[5].Ok = 0;
    EXPECT_TRUE(t.Tick(1000).Countdown.isEmpty());
    Table battery(OnBattery, 5);
    battery.rows[5].Ok = 0;
    EXPECT_EQ(battery.Tick(1000).Countdown, QStringLiteral("01:00"));
}

TEST(PowerWatch, BattLowAndOverheatEndTheMeasurementOrOnlyWarnInServiceMode) {
    struct Case {
        float status;
        uint8_t bc;
        bool technology;
        bool batch;
        bool stop;
        bool armMessage;
        const char *warning;
    };
    const Case cases[] = {
        {0x20, 0, false, false, true, false, "Аккумулятор разряжен! = 80%"},
        {0x20, 0, true, false, false, true, "Аккумулятор разряжен! = 80%"},
        {0x20, 0, true, true, false, false, "Аккумулятор разряжен! = 80%"},
        {External, 1, false, false, true, false, "Перегрев БК. Аварийное отключение."},
        {External, 1, true, false, false, true, "Перегрев БК. Аварийное отключение."},
    };
    for (const Case &c : cases) {
        Table t(c.status, 50);
        t.rows[2].Value = 80;
        t.bc = c.bc;
        const TPowerTick tick = t.Tick(1000, c.technology, c.batch);
        EXPECT_EQ(tick.StopRequest, c.stop);
        EXPECT_EQ(tick.TimerStaysOff, c.stop);
        EXPECT_EQ(tick.ArmMessageTimer, c.armMessage);
        EXPECT_EQ(tick.Warning, QString::fromUtf8(c.warning));
        EXPECT_EQ(tick.FinishBatch, c.batch);
        EXPECT_EQ(t.bc, 0);
    }
}

TEST(PowerWatch, AStatusEntryWithoutAReadingIsNotABattLowFault) {
    Table t(NoValue, 50);
    const TPowerTick tick = t.Tick(1000);
    EXPECT_FALSE(tick.StopRequest);
    EXPECT_TRUE(tick.Warning.isEmpty());
}

TEST(PowerWatch, WarningFormatsTakeTypedValues) {
    EXPECT_EQ(FormatWarning(QStringLiteral("= %d%%"), 66.7, 0, 100), QStringLiteral("= 66%"));
    EXPECT_EQ(FormatWarning(QStringLiteral("= %3.1f В [%3.1f,%3.1f]"), 71.26, -10, 70),
              QStringLiteral("= 71.3 В [-10.0,70.0]"));
    EXPECT_EQ(FormatWarning(QStringLiteral("без чисел"), 1, 2, 3), QStringLiteral("без чисел"));
    EXPECT_EQ(FormatWarning(QStringLiteral("%d %d %d %d"), 1, 2, 3), QStringLiteral("1 2 3 0"));
    EXPECT_EQ(FormatWarning(QStringLiteral("%d"), double(NoValue), 0, 0), QStringLiteral("-9999999"));
}

#include "MainFixture.h"
#include "support/Screenshot.h"

#include "link/InstrumentIdent.h"
#include "link/PowerReadings.h"
#include "link/PowerState.h"
#include "platform/StringTable.h"
#include "shell/DeviceRows.h"
#include "shell/Deviceunit.h"
#include "shell/Formpwr.h"
#include "shell/PowerRows.h"
#include "shell/WindowRegistries.h"

#include <gtest/gtest.h>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <array>
#include <cstring>

namespace {

std::array<PowerStateEntry, PowerStateCount> Readings(float status, float charge) {
    std::array<PowerStateEntry, PowerStateCount> rows{};
    rows[0].Value = charge;
    rows[1].Value = status;
    return rows;
}

// The battery row reads the charge and the supply controller's status word together.
TEST(PowerRows, BatteryRowByStatusWord) {
    const struct {
        float status;
        float charge;
        const char *value;
        const char *state;
    } cases[] = {
        {0x21, 57, "Внешний источник", "заряжается"},
        {0x05, 57, "57%", "Ненорма"},
        {0x45, 80.9f, "80%", "норма"},
        {0x28, 50, "Внешний источник", "зарядка программно запрещена"},
        {0x20, 50, "Внешний источник", "отсутствует или t вне +5..+45,С"},
        {0x22, 50, "Внешний источник", "отсутствует или t вне +5..+45,С"},
        {0x23, 50, "Внешний источник", "заряжен"},
        {0x24, 50, "Внешний источник", "неисправность при зарядке"},
        {0x26, 50, "Внешний источник", "неисправность при зарядке"},
        {0x27, 50, "Внешний источник", "глубоко разряжен"},
        {0x40, NoValue, "не измерено", "не измерено"},
        // A charge without the status word: nothing is known of the battery's state.
        {NoValue, 57, "57%", "не измерено"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        const auto rows = Readings(c.status, c.charge);
        const PowerRowTexts row = PowerRow(rows, 0, true);
        EXPECT_EQ(row.Value, QString::fromUtf8(c.value));
        EXPECT_EQ(row.Tolerance, "--");
        EXPECT_EQ(row.State, QString::fromUtf8(c.state));
    }
}

TEST(PowerRows, StatusWordBattLowAndReadings) {
    auto rows = Readings(165, 50);
    EXPECT_EQ(PowerRow(rows, 1, true).Value, "1010 0101");
    rows[1].Value = NoValue;
    EXPECT_EQ(PowerRow(rows, 1, true).Value, "не измерено");

    rows[2].Ok = 1;
    EXPECT_EQ(PowerRow(rows, 2, true).Value, "1");
    rows[2].Ok = 0;
    EXPECT_EQ(PowerRow(rows, 2, true).Value, "0");
    EXPECT_EQ(PowerRow(rows, 2, false).Value, "не измерено");

    const struct {
        int entry;
        float value;
        uint8_t ok, present;
        const char *valueText, *state;
    } cases[] = {
        {3, 5.0f, 1, 1, " 5.00", "норма"},        {6, 12.5f, 0, 1, "12.50", "Ненорма"},
        {7, 12.5f, 1, 0, "не измерено", "откл."}, {8, NoValue, 1, 1, "не измерено", "не измерено"},
        {12, 45.26f, 1, 1, " 45.3", "норма"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.entry);
        PowerStateEntry &entry = rows[std::size_t(c.entry)];
        entry.Name = QStringLiteral("V");
        entry.Value = c.value;
        entry.Ok = c.ok;
        entry.Present = c.present;
        entry.LowLimit = 4.5f;
        entry.HighLimit = 55.2f;
        const PowerRowTexts row = PowerRow(rows, c.entry, true);
        EXPECT_EQ(row.Name, "V");
        EXPECT_EQ(row.Value, QString::fromUtf8(c.valueText));
        EXPECT_EQ(row.Tolerance, "[  4.5, 55.2]");
        EXPECT_EQ(row.State, QString::fromUtf8(c.state));
    }
}

QColor StateCellColour(TForm_Power &window, int row) {
    const QRect cell = window.SG->visualItemRect(window.SG->item(row, 3));
    const QImage image = window.SG->viewport()->grab().toImage();
    return image.pixelColor(cell.right() - 3, cell.center().y());
}

// Only the state cells that read "Ненорма" are red; every other state, "откл." among them, is white.
TEST(PowerWindow, GridShowsTheTableAndMarksOutOfNormRed) {
    InitPowerStates();
    for (PowerStateEntry &entry : PowerState) {
        entry.Value = 5;
        entry.Ok = 1;
        entry.Present = 1;
    }
    PowerState[1].Value = 0x45;
    PowerState[4].Ok = 0;
    PowerState[5].Present = 0;
    TForm_Power window;
    window.show();
    EXPECT_EQ(window.windowTitle(), "Контроль питания и температуры");
    EXPECT_EQ(window.SG->rowCount(), 15);
    EXPECT_EQ(window.SG->columnCount(), 4);
    EXPECT_EQ(window.SG->item(0, 1)->text(), "Значение");
    EXPECT_EQ(window.SG->columnWidth(0), 250);
    EXPECT_EQ(window.SG->columnWidth(3), 200);
    EXPECT_EQ(window.SG->item(5, 0)->text(), PowerState[4].Name);
    EXPECT_EQ(window.SG->item(5, 3)->text(), "Ненорма");
    EXPECT_EQ(window.SG->item(6, 3)->text(), "откл.");
    EXPECT_EQ(StateCellColour(window, 5), QColor(Qt::red));
    EXPECT_EQ(StateCellColour(window, 6), QColor(Qt::white));
    EXPECT_EQ(StateCellColour(window, 4), QColor(Qt::white));

    // The window shows the table as it stands at each refresh.
    PowerState[4].Ok = 1;
    window.RefreshPowerGrid();
    EXPECT_EQ(window.SG->item(5, 3)->text(), "норма");
    PowerState[4].Ok = 0;
    window.RefreshPowerGrid();
    SaveScreenshot(window, QStringLiteral("power-window"));
    for (PowerStateEntry &entry : PowerState)
        entry = PowerStateEntry{};
}

TEST(DeviceRows, BoardDesignationsAndVersionWords) {
    const uint32_t code = 123u << 16 | 105u << 4;
    EXPECT_EQ(BoardDesignation("R9-010-", code, false), "R9-010-1.05-0123");
    EXPECT_EQ(BoardDesignation("R9-160-", code | 2, true), "R9-160-02-1.05-0123");
    EXPECT_EQ(BoardDesignation("R9-030-", 0xFFFFu << 16 | 4095u << 4 | 15, true), "R9-030-15-40.95-65535");
    EXPECT_EQ(DecimalDigitsVersion(0x611), "6.11");
    EXPECT_EQ(DecimalDigitsVersion(0x0414), "4.14");
    EXPECT_EQ(DecimalDigitsVersion(0x9999), "99.99");
    // Digits above 9 have no decimal reading: the word is shown as it stands.
    EXPECT_EQ(DecimalDigitsVersion(0x6A1), "0x6A1");
    EXPECT_EQ(DecimalDigitsVersion(0xF000), "0xF000");
}

std::array<QString, DeviceRowCount> Values(const TInstrumentIdent &ident, bool mirvak = false) {
    std::array<QString, DeviceRowCount> values;
    const auto rows = DeviceRows(ident, mirvak);
    for (int i = 0; i < DeviceRowCount; ++i)
        values[std::size_t(i)] = rows[std::size_t(i)].Value;
    return values;
}

// What the instrument never filled shows the default texts; 16-bit "no value" words match whether the
// field holds them as -1 or as 0xFFFF.
TEST(DeviceRows, IdentificationNeverReceived) {
    TInstrumentIdent ident;
    std::memcpy(ident.DspFirmwareDate, "Date", 5);
    const auto values = Values(ident);
    const char *expected[DeviceRowCount] = {
        "000000",
        "000",
        "009.0000",
        "Не калиброван",
        "Нет данных!",
        "Date",
        "V0.00",
        "R9-010-00-0.00-0000",
        "R9-910-0.00",
        "R9-160-00-0.00-0000",
        "R9-920-0.00",
        "R9-030-00-0.00-0000",
        "R9-930-0.00",
        "R9-180-0.00-0000",
        "R9-070-00-0.00-0000",
        "Нет данных!",
        "Нет данных!",
    };
    for (int i = 0; i < DeviceRowCount; ++i)
        EXPECT_EQ(values[std::size_t(i)], QString::fromUtf8(expected[i])) << i;
    const auto rows = DeviceRows(ident, true);
    EXPECT_EQ(rows[4].Label, "Версия встроенного ПО DSP Мирвак");
    EXPECT_EQ(rows[5].Label, "Дата встроенного ПО DSP Мирвак");
    EXPECT_EQ(DeviceRows(ident, false)[4].Label, "Версия встроенного ПО DSP");
}

TEST(DeviceRows, FilledIdentification) {
    TInstrumentIdent ident;
    ident.DesignVariant = 0xABC;
    ident.DeliveryVariant = 0x21;
    ident.SerialNumber = int16_t(40000); // unsigned 16-bit
    ident.Calibrated = 1;
    ident.CalibrationDate = 365;
    ident.DspFirmwareVersion = 0x611;
    ident.HardwareVersion = 210;
    ident.DspBoardCode = int32_t(123u << 16 | 105u << 4);
    ident.DspLogicVersion = 0x6A1;
    ident.AswLogicVersion = 260;
    ident.IcmLogicVersion = int16_t(16 << 4 | 2);
    ident.PowerAdapterCode = int32_t(7u << 16 | 110u << 4 | 3);
    ident.MainBoardFirmware = 512;
    ident.BcBoardFirmware = 0;
    const auto values = Values(ident);
    EXPECT_EQ(values[0], "000ABC");
    EXPECT_EQ(values[1], "021");
    EXPECT_EQ(values[2], "009.40000");
    EXPECT_EQ(values[3], "Откалиброван: 01.01.2004");
    EXPECT_EQ(values[4], "F6.11");
    EXPECT_EQ(values[6], "V2.10");
    EXPECT_EQ(values[7], "R9-010-1.05-0123");
    EXPECT_EQ(values[8], "R9-910-0x6A1");
    EXPECT_EQ(values[10], "R9-920-2.60");
    EXPECT_EQ(values[12], "R9-932-0.16");
    EXPECT_EQ(values[13], "R9-180-1.10-0007");
    EXPECT_EQ(values[15], "V5.12");
    EXPECT_EQ(values[16], "V0.00");
}

// The dialog shows the identification as it was when it opened, sized to its two columns.
TEST(DeviceWindow, ShowsACopyOfTheIdentification) {
    const TInstrumentIdent saved = InstrumentIdent;
    InstrumentIdent = TInstrumentIdent{};
    InstrumentIdent.SerialNumber = 77;
    auto *window = new TDeviceForm;
    InstrumentIdent.SerialNumber = 78;
    window->show();
    EXPECT_EQ(window->windowTitle(), "О приборе...");
    EXPECT_EQ(window->SG->rowCount(), 17);
    EXPECT_EQ(window->SG->item(2, 0)->text(), "Серийный номер");
    EXPECT_EQ(window->SG->item(2, 1)->text(), "009.0077");
    EXPECT_GE(window->width(), window->SG->columnWidth(0) + window->SG->columnWidth(1));
    EXPECT_EQ(window->height(), 21 * 18 + 41);
    EXPECT_EQ(window->BitBtn1->geometry().center().x(), window->width() / 2);
    SaveScreenshot(*window, QStringLiteral("device-window"));
    window->close();
    InstrumentIdent = saved;
}

// The power button opens the window as a child of the client area; a maximise request fills the free
// part beside the left panel and leaves the window normal.
TEST_F(MainWindowTest, PowerWindowFillsTheClientAreaInsteadOfMaximising) {
    TMainForm &form = Start();
    form.show();
    QCoreApplication::processEvents();
    form.Button_Power->click();
    ASSERT_FALSE(Form_Power.isNull());
    EXPECT_EQ(WindowTag(Form_Power), 106);
    QMdiSubWindow *frame = form.SubWindowOf(Form_Power);
    ASSERT_NE(frame, nullptr);
    frame->move(40, 30);
    frame->showMaximized();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_EQ(frame->geometry(), QRect(40, 0, form.MdiArea->viewport()->width(), form.MdiArea->viewport()->height()));
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Form_Power.isNull());
}

} // namespace

#include "MainFixture.h"
#include "SimulatedInstrument.h"
#include "support/Screenshot.h"

#include "link/Dspio9.h"
#include "link/Ft_spi.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "shell/Deviceunit.h"
#include "shell/Form_techno.h"
#include "shell/StatusBar2.h"
#include "shell/TechCommands.h"
#include "shell/WindowRegistries.h"
#include "sim/SimDspApplication.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <vector>

namespace {

// The service window and the instrument information against the simulated instrument, in the service
// mode that shows the service button.
class ServiceWindowSimTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        TechnologyMode = true;
    }
    void TearDown() override {
        if (window && DspIo)
            window->StopMeasurement(QString(), false);
        TechnologyMode = false;
        MainWindowTest::TearDown();
    }

    TMainForm &StartInstrument() {
        sim = &Instrument();
        dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
        TMainForm &form = Start();
        messages.clear();
        form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
        form.Button_Start->click();
        EXPECT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion == 1044; }, 30));
        return form;
    }

    // The payloads of the packets of a type that the instrument took since the log had `from` entries.
    std::vector<std::vector<uint8_t>> Payloads(int type, std::size_t from) {
        std::vector<std::vector<uint8_t>> payloads;
        sim->WithApplication([&](SimDspApplication &app) {
            const auto &log = app.Checker().Log();
            for (std::size_t i = from; i < log.size(); ++i)
                if (log[i].type == type)
                    payloads.push_back(log[i].payload);
        });
        return payloads;
    }

    std::size_t LogSize() {
        std::size_t size = 0;
        sim->WithApplication([&](SimDspApplication &app) { size = app.Checker().Log().size(); });
        return size;
    }

    static int IndexOf(QComboBox *list, const char *name) { return list->findText(QString::fromUtf8(name)); }

    SimInstrument *sim = nullptr;
};

// Raw FPGA and relay commands go out as two bytes, low first: a typed "1F6" is F6 01, and the soft reset
// FFF9, shown as FFFFFFF9, is F9 FF.
TEST_F(ServiceWindowSimTest, RawCommandsReachTheInstrument) {
    TMainForm &form = StartInstrument();
    ASSERT_NE(DspIo, nullptr);
    EXPECT_TRUE(form.TlB_Tech->isEnabled());
    form.TlB_TechClick();
    auto *tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    EXPECT_TRUE(tech->CB_Xilinx->isEnabled());
    EXPECT_FALSE(tech->BitBtn_Xilinx->isEnabled()); // nothing chosen yet

    const std::size_t from = LogSize();
    tech->CB_Xilinx->setCurrentIndex(0);
    tech->Edit_Xilinx->setText(QStringLiteral("1F6"));
    ASSERT_TRUE(tech->BitBtn_Xilinx->isEnabled());
    tech->BitBtn_Xilinx->click();
    tech->CB_Xilinx->setCurrentIndex(IndexOf(tech->CB_Xilinx, "Active_Reset_Soft"));
    EXPECT_EQ(tech->Edit_Xilinx->text(), "0xFFFFFFF9");
    tech->BitBtn_Xilinx->click();
    tech->CB_Relay->setCurrentIndex(IndexOf(tech->CB_Relay, "ZMeter_600_On"));
    tech->BitBtn_Relay->click();
    const std::vector<std::vector<uint8_t>> xilinx = {{0xF6, 0x01}, {0xF9, 0xFF}};
    ASSERT_TRUE(WaitFor([&] { return Payloads(3, from).size() >= 2 && !Payloads(4, from).empty(); }, 20));
    EXPECT_EQ(Payloads(3, from), xilinx);
    EXPECT_EQ(Payloads(4, from).front(), (std::vector<uint8_t>{0x1B, 0x00}));

    // An unreadable code is refused and nothing goes out.
    const std::size_t before = LogSize();
    tech->CB_Xilinx->setCurrentIndex(0);
    tech->Edit_Xilinx->setText(QStringLiteral("1G6"));
    tech->BitBtn_Xilinx->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "Ошибка!");
    WaitFor([] { return false; }, 1);
    EXPECT_TRUE(Payloads(3, before).empty());

    // The counter of frame starts follows the link on every tick. The link's thread goes on counting, so
    // the tick shows a count between the ones read just before and just after it.
    const auto low = qulonglong(DspIo->RecvSobCnt());
    form.Timer1Timer();
    const auto high = qulonglong(DspIo->RecvSobCnt());
    bool number = false;
    const qulonglong shown = tech->Label3->text().toULongLong(&number);
    ASSERT_TRUE(number) << tech->Label3->text().toStdString();
    EXPECT_GE(shown, low);
    EXPECT_LE(shown, high);
    EXPECT_GT(shown, 0u);
    SaveScreenshot(*tech, QStringLiteral("service-window-connected"));

    // Stop leaves the window with nothing to command.
    form.StopMeasurement(QString(), false);
    EXPECT_FALSE(tech->CB_Xilinx->isEnabled());
    EXPECT_FALSE(tech->BitBtn_Relay->isEnabled());
}

// A send the link refuses is reported, and the mode word is still raised and issued.
TEST_F(ServiceWindowSimTest, RefusedSendStillRecomputes) {
    TMainForm &form = StartInstrument();
    ASSERT_NE(DspIo, nullptr);
    form.TlB_TechClick();
    auto *tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    tech->CB_Xilinx->setCurrentIndex(IndexOf(tech->CB_Xilinx, "LED_On"));
    // While an outgoing message is under way the link refuses every other packet.
    const std::vector<int16_t> body(64, 0);
    ASSERT_GT(DspIo->MesOut(false, 0, 0, 0, 0, 0, 0, 0, 0, body.data(), uint32_t(body.size())), 0u);
    messages.clear();
    DeviceSettings->Mode = 0;
    tech->BitBtn_Xilinx->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Команда R9_setXilinx не выдана");
    // The recomputation is raised all the same; SendCommand keeps it pending until the message is gone.
    EXPECT_EQ(DeviceSettings->Mode & 0x100, 0x100);
    DspIo->MesOutAbort();
    ASSERT_TRUE(WaitFor([] { return !DspIo->MsgOutBusy(); }, 10));
    SendCommand();
    EXPECT_EQ(DeviceSettings->Mode & 0x100, 0);
}

// "BC_Gen_TX_on" clears bit 0x04 of the BC board's register and "BC_Gen_TX_off" sets it; the other bits
// stay as read. With the BC bus off the commands are refused.
TEST_F(ServiceWindowSimTest, BcCommandsChangeOnlyTheirBits) {
    TMainForm &form = StartInstrument();
    ASSERT_NE(FtSpi, nullptr);
    form.TlB_TechClick();
    auto *tech = qobject_cast<TForm_Tech *>(Form_Tech.data());
    ASSERT_NE(tech, nullptr);
    FtSpi->SelectBusBC(false);
    tech->CB_I2C_BC->setCurrentIndex(IndexOf(tech->CB_I2C_BC, "BC_Gen_TX_on"));
    messages.clear();
    tech->BitBtn_I2C_BC->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Питание БК выключено!");

    tech->CB_I2C_BC->setCurrentIndex(IndexOf(tech->CB_I2C_BC, "BC_Power_On"));
    tech->BitBtn_I2C_BC->click();
    ASSERT_EQ(FtSpi->BusBC, 0x40);
    sim->SetChipRegister(0x61, 40, 0xAD);
    tech->CB_I2C_BC->setCurrentIndex(IndexOf(tech->CB_I2C_BC, "BC_Gen_TX_on"));
    tech->BitBtn_I2C_BC->click();
    EXPECT_EQ(sim->ChipRegister(0x61, 40), 0xA9);
    tech->CB_I2C_BC->setCurrentIndex(IndexOf(tech->CB_I2C_BC, "BC_Gen_TX_off"));
    tech->BitBtn_I2C_BC->click();
    EXPECT_EQ(sim->ChipRegister(0x61, 40), 0xAD);
    tech->CB_I2C_BC->setCurrentIndex(IndexOf(tech->CB_I2C_BC, "Состояние БK = 0"));
    tech->BitBtn_I2C_BC->click();
    EXPECT_EQ(sim->ChipRegister(0x61, 40), 0x00);
    // A typed value goes to the register as it is; one beyond a byte is refused.
    tech->CB_I2C_BC->setCurrentIndex(0);
    tech->Edit_I2C_BC->setText(QStringLiteral("5A"));
    tech->BitBtn_I2C_BC->click();
    EXPECT_EQ(sim->ChipRegister(0x61, 40), 0x5A);
    tech->Edit_I2C_BC->setText(QStringLiteral("15A"));
    messages.clear();
    tech->BitBtn_I2C_BC->click();
    EXPECT_EQ(sim->ChipRegister(0x61, 40), 0x5A);
    EXPECT_EQ(messages.size(), 1u);
}

// The instrument information shows the boards of the identification image the instrument sent.
TEST_F(ServiceWindowSimTest, InstrumentInformationFromTheIdentification) {
    TMainForm &form = StartInstrument();
    form.N_DeviceClick();
    auto *device = qobject_cast<TDeviceForm *>(DeviceForm.data());
    ASSERT_NE(device, nullptr);
    const char *expected[] = {
        "010203",
        "021",
        "009.1207",
        "Откалиброван: 02.02.2016",
        "F4.14",
        "21.03.2013 14:05:00",
        "V2.10",
        "R9-010-01-0.00-0213",
        "R9-910-1.05",
        "R9-160-02-0.00-0165",
        "R9-920-2.60",
        "R9-030-01-0.00-0197",
        "R9-932-0.16",
        "R9-180-0.01-0000",
        "R9-070-01-0.03-0000",
    };
    for (int row = 0; row < int(std::size(expected)); ++row)
        EXPECT_EQ(device->SG->item(row, 1)->text(), QString::fromUtf8(expected[row])) << row;
    SaveScreenshot(*device, QStringLiteral("device-window-identified"));
    device->close();
}

} // namespace

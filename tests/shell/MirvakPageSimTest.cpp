// The selective page's Start against the simulated instrument: a measurement runs with the ordinary
// program; Start on the page reopens the link, which downloads the selective program from
// r9_307_sst.i00, and the run's commands go out to it.

#include "DemoFixture.h"
#include "SimulatedInstrument.h"

#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "state/MainGlobals.h"
#include "selective/MirvakPage.h"
#include "settings/window/Form_SetDev.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "sim/SimDspApplication.h"
#include "sim/SimSstProgram.h"
#include "link/Emulator.h"

#include <QAction>
#include <QToolButton>
#include <QGroupBox>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

namespace {

class MirvakPageSimTest : public DemoWindowTest {
protected:
    void SetUp() override {
        DemoWindowTest::SetUp();
        WindowFactories.SetDev = installed.SetDev;
    }
};

TEST_F(MirvakPageSimTest, StartOnThePageLoadsTheSelectiveProgram) {
    SimInstrument &sim = Instrument();
    dir.write(QStringLiteral("r9_307.i00"), ":0400100012345678D8\r\n:00000001FF\r\n");
    dir.write(QStringLiteral("r9_307_sst.i00"), QByteArray::fromStdString(SimSstProgramHex()));
    TMainForm &form = Start();
    messages.clear();
    form.StatusBar2->SetPanelText(1, QStringLiteral("1024 кГц"));
    ASSERT_TRUE(form.ApplySampleRate(true));
    TDeviceSettings &s = *DeviceSettings;
    s.ConnectionType = 5;
    s.Block.State = 1;
    MirvakBlock &m = s.Mirvak;
    m.Flags = 0;
    m.SetCount = 3;
    const float plan[] = {10, 20, 30};
    for (int i = 0; i < 3; ++i)
        m.Set[i] = {plan[i], 1};
    m.SubMode = 0;
    m.B = 0.01f;
    m.Options = 0;
    m.FcM = m.FcG = 0;
    form.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_TRUE(WaitFor([] { return InstrumentIdent.DspFirmwareVersion != 0; }, 30));
    ASSERT_EQ(MirvakFirmware, 0);

    QAction *item = form.findChild<QAction *>(QStringLiteral("N_Gen"));
    ASSERT_NE(item, nullptr);
    item->trigger();
    auto *window = qobject_cast<TForm_SetDev *>(Form_SetDev.data());
    ASSERT_NE(window, nullptr);
    window->PageControl1->setCurrentWidget(window->TabSheet_Mirvak);
    auto *page = dynamic_cast<TMirvakPage *>(window->MirvakPage);
    ASSERT_NE(page, nullptr);
    page->Btn_Mirvak_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_EQ(MirvakFirmware, 1);
    EXPECT_EQ(MirvakPlanCount, 3);
    EXPECT_GE(s.Mirvak.RunState, 1);

    bool selective = false;
    sim.WithApplication([&](SimDspApplication &app) { selective = app.SelectiveProgram(); });
    EXPECT_TRUE(selective);
    // The commands went out: the run is confirmed (or its pass already ended).
    EXPECT_TRUE(WaitFor([&] { return s.Mirvak.RunState != 1; }, 30));
    sim.WithApplication([](SimDspApplication &app) { EXPECT_TRUE(app.Violations().empty()); });

    EXPECT_TRUE(form.StopMeasurement(QString(), false));
    EXPECT_EQ(DspIo, nullptr);
}

// In demonstration mode the emulator stands in for the instrument: Start on the page reopens it (the
// selective program is only ever loaded into a real instrument) and the run starts.
TEST_F(MirvakPageSimTest, StartOnThePageStartsARunInDemonstrationMode) {
    MirvakFirmware = 0; // as at program start: only a real instrument's opening sets it
    TMainForm &form = StartSinDemo();
    form.StatusBar2->SetPanelText(1, QStringLiteral("1024 кГц"));
    ASSERT_TRUE(form.ApplySampleRate(true));
    form.Button_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    ASSERT_NE(Emulator, nullptr);
    const TEmulator *before = Emulator;
    TDeviceSettings &s = *DeviceSettings;
    s.ConnectionType = 5;
    s.Mirvak.Flags = 1; // the range 10, 11, ... 14 kHz
    s.Mirvak.RangeStart = 10;
    s.Mirvak.RangeN = 5;
    s.Mirvak.RangeStep = 1;
    s.Mirvak.SubMode = 0;
    s.Mirvak.B = 0.01f;
    s.Mirvak.Options = 0;

    form.findChild<QAction *>(QStringLiteral("N_Gen"))->trigger();
    auto *window = qobject_cast<TForm_SetDev *>(Form_SetDev.data());
    ASSERT_NE(window, nullptr);
    window->PageControl1->setCurrentWidget(window->TabSheet_Mirvak);
    auto *page = dynamic_cast<TMirvakPage *>(window->MirvakPage);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->RB_RangeSel->isChecked());
    page->Btn_Mirvak_Start->click();
    ASSERT_TRUE(messages.empty()) << messages[0].text.toStdString();
    EXPECT_GE(s.Mirvak.RunState, 1);
    EXPECT_EQ(s.Mirvak.RunActive, 1);
    EXPECT_EQ(MirvakPlanCount, 5);
    EXPECT_EQ(MirvakFirmware, 0);
    ASSERT_NE(Emulator, nullptr);
    EXPECT_NE(Emulator, before);
    EXPECT_TRUE(MeasurementRunning);
    EXPECT_FALSE(page->Panel_SubMode->isEnabled());

    // An instrument ends the run with its stop report; the emulator sends none, so Stop ends the run at
    // once and the page is free again while the measurement goes on.
    EXPECT_TRUE(page->Btn_Mirvak_Stop->isEnabled());
    page->Btn_Mirvak_Stop->click();
    EXPECT_EQ(s.Mirvak.RunActive, 0);
    EXPECT_EQ(s.Mirvak.RunState, 0);
    EXPECT_TRUE(MeasurementRunning);
    EXPECT_TRUE(page->Panel_SubMode->isEnabled());
    EXPECT_NE(page->Btn_Mirvak_Stop->palette().color(QPalette::Active, QPalette::ButtonText), QColor(255, 255, 0));
    EXPECT_TRUE(form.StopMeasurement(QString(), false));
}

} // namespace

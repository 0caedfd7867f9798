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

#include <QAction>
#include <QToolButton>
#include <QPushButton>
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

} // namespace

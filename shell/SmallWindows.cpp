#include "shell/SmallWindows.h"

#include "shell/Deviceunit.h"
#include "shell/Form_techno.h"
#include "shell/Form_textmsg.h"
#include "shell/Formpwr.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"

// The factories outlive any one main window (tests build several): they reach the main window that
// exists when they are called.
void InstallSmallWindowFactories() {
    TWindowFactories &factories = WindowFactories;
    if (!factories.Power)
        factories.Power = [](int) { return new TForm_Power; };
    if (!factories.Txt)
        factories.Txt = [](int) { return new TForm_Txt(MainForm ? MainForm->IniFileName : QString()); };
    if (!factories.Tech)
        factories.Tech = [](int) -> QWidget * {
            return MainForm ? new TForm_Tech(&MainForm->TechPort, MainForm) : nullptr;
        };
    if (!factories.Device)
        factories.Device = [](int) { return new TDeviceForm(MainForm); };
}

void RefreshPowerWindow() {
    if (auto *window = qobject_cast<TForm_Power *>(Form_Power.data()))
        window->RefreshPowerGrid();
}

void RefreshTechWindow() {
    if (auto *window = qobject_cast<TForm_Tech *>(Form_Tech.data()))
        window->RefreshTechControls();
}

void ShowTechCounter(uint32_t count) {
    if (auto *window = qobject_cast<TForm_Tech *>(Form_Tech.data()))
        window->ShowRecvSobCnt(count);
}

void RefreshTextWindow() {
    if (auto *window = qobject_cast<TForm_Txt *>(Form_Txt.data()))
        window->ShowIncomingMessage();
}

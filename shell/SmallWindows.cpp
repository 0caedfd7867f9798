#include "shell/SmallWindows.h"

#include "shell/Deviceunit.h"
#include "shell/Form_techno.h"
#include "shell/Form_textmsg.h"
#include "shell/Formpwr.h"
#include "shell/Main.h"
#include "shell/WindowRegistries.h"

void InstallSmallWindowFactories(TMainForm &form) {
    TWindowFactories &factories = WindowFactories;
    if (!factories.Power)
        factories.Power = [](int) { return new TForm_Power; };
    if (!factories.Txt)
        factories.Txt = [&form](int) { return new TForm_Txt(form.IniFileName); };
    if (!factories.Tech)
        factories.Tech = [&form](int) { return new TForm_Tech(&form.TechPort, &form); };
    if (!factories.Device)
        factories.Device = [&form](int) { return new TDeviceForm(&form); };
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

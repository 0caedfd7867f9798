#pragma once

#include "MainFixture.h"

#include "engine/EngineBuffers.h"
#include "link/Emulator.h"
#include "link/Library.h"
#include "platform/Clock.h"

#include <chrono>

// A main window in demonstration mode. MainWindowTest puts stand-ins in place of the window factories
// that the program registers at start; these tests keep the program's own and put the others back
// afterwards. `blocks` counts the blocks the test saw go through the main window's handler.
class DemoWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        installed = WindowFactories;
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        WindowFactories = installed;
    }

    // The program in demonstration mode on a screen-sized main window, the SIN generator chosen and not
    // started yet. A tone that does not fit the block a whole number of times, so that every block
    // starts elsewhere in its period.
    TMainForm &StartSinDemo() {
        FreeAnalysisBuffers();
        TMainForm &form = Start({QStringLiteral("/demo")});
        messages.clear();
        form.resize(1600, 1000);
        form.show();
        DeviceSettings->Block.State = 0;
        DeviceSettings->Sin.State = 1;
        DeviceSettings->Sin.F1 = 3.3f;
        DeviceSettings->Mode |= 0x08;
        return form;
    }

    // The emulator's blocks are counted in `blocks` once the main window handled them.
    void CountBlocks() {
        const auto deliver = Emulator->OnAdcArray;
        Emulator->OnAdcArray = [this, deliver](TEmulator *sender, const int16_t *block, uint32_t n, uint32_t t) {
            deliver(sender, block, n, t);
            ++blocks;
        };
    }

    // Pumps until `count` more blocks went through the main window's handler.
    void RunBlocks(int count) {
        const int until = blocks + count;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (blocks < until && std::chrono::steady_clock::now() < deadline)
            PumpMessages();
        ASSERT_GE(blocks, until);
    }

    TWindowFactories installed;
    int blocks = 0;
};

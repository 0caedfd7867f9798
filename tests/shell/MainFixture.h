#pragma once

#include "storage/StateCfgChoice.h"
#include "storage/Statecfg.h"
#include "platform/MessageService.h"
#include "protocols/Form_cmt.h"
#include "protocols/PackageWork.h"
#include "shell/Main.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>

#include <memory>
#include <vector>

// A main window on a fresh program folder, with the program-wide values as at process start, message
// boxes answered by `answer` and recorded, and child windows made as plain labels.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramName = QString::fromUtf8(DefaultProgramName);
        ConnectionKind = 1;
        TechnologyMode = false;
        SpectrumTableMinStep = 8;
        InstanceNumber = 1;
        *DeviceSettings = DefaultDeviceSettings();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return answer;
        });
        // The generator-state question of a configuration save is answered with its preselection.
        StateCfgDialogAnswer = [](TForm_StateCfg &dialog) { dialog.BitBtn1->click(); };
        // The protocol's comment and save dialogs are declined: the protocol a test leaves is discarded.
        CommentDialogAnswer = [](TForm_Cmt &dialog) { dialog.BitBtn2->click(); };
        const auto label = [](const char *stem) {
            return [stem](int index) {
                auto *window = new QLabel(QString::fromLatin1(stem) + QString::number(index));
                window->setWindowTitle(window->text());
                return static_cast<QWidget *>(window);
            };
        };
        WindowFactories = {};
        WindowFactories.Graph = label("graph");
        WindowFactories.MeasPar = label("param");
        WindowFactories.BasePar = label("results");
        WindowFactories.TimeDiagram = label("diagram");
        WindowFactories.SetDev = label("settings");
    }
    void TearDown() override {
        window.reset();
        delete PackageWork;
        PackageWork = nullptr;
        SetMessageBoxHandler({});
        StateCfgDialogAnswer = {};
        CommentDialogAnswer = {};
        WindowFactories = {};
    }

    TMainForm &Start(const QStringList &arguments = {}) {
        window = std::make_unique<TMainForm>(arguments);
        return *window;
    }

    TempProgramDir dir;
    std::unique_ptr<TMainForm> window;
    std::vector<MessageRequest> messages;
    int answer = IdYes;
};

#pragma once

#include "engine/catalogue/ParamCatalogue.h"
#include "platform/MessageService.h"
#include "protocols/ScenarClass.h"
#include "storage/Configuration.h"
#include "storage/SettingsSnapshot.h"
#include "storage/SettingsSnapshotApply.h"
#include "storage/SnapshotTestState.h"
#include "support/QuietSettings.h"
#include "support/TempProgramDir.h"

#include <QBuffer>

// The live state a configuration load touches, saved and put back; the scenario open for the test, the
// message boxes taken over, and configurations written into a program folder of its own.
class ScenarioConfigFixture : public SnapshotTestState {
protected:
    void SetUp() override {
        // The tables' captions name the keys of an INI configuration.
        BuildParamCatalogue();
        SnapshotTestState::SetUp();
        savedVersion_ = ProgramVersionText;
        ProgramVersionText = QStringLiteral("V6.11");
        savedServices_ = SnapshotServices();
        SnapshotServices() = {};
        SnapshotServices().MaskDir = [this] { return program.path(QStringLiteral("Masks/")); };
        ConnectionKind = 1;
        *DeviceSettings = QuietSettings();
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages << request.text;
            if (answers.isEmpty())
                return int(IdOk);
            return answers.takeFirst();
        });
        OpenCurrentScenario();
    }
    void TearDown() override {
        CloseCurrentScenario();
        SetMessageBoxHandler({});
        SnapshotServices() = savedServices_;
        ProgramVersionText = savedVersion_;
        SnapshotTestState::TearDown();
    }

    // A counting configuration whose timer norms make a 66 s row: max(10, 60) + 4 + 2 (remote link).
    static TDeviceSettings CountingSettings() {
        TDeviceSettings s = QuietSettings();
        s.EventCounting = 1;
        s.AveragingInterval = 10;
        s.AdcSizeIndex = 0;
        RecomputeBlockSizeFields(s);
        s.ConnectState = 1;
        ParamTableSin[17].Settings.LowerNorm = 60.9f;
        ParamTableMtts[10].Settings.LowerNorm = 0;
        ParamTableNoise[4].Settings.LowerNorm = 30;
        return s;
    }

    // A binary configuration of older versions: version text, settings snapshot (the layout block after it
    // is not read for a scenario row).
    QString WriteBinaryConfig(const char *version, const TDeviceSettings &settings,
                              const QString &name = QStringLiteral("old.cfg")) {
        QByteArray bytes;
        QBuffer stream(&bytes);
        stream.open(QIODevice::WriteOnly);
        QByteArray v(version);
        v.resize(VersionTextSize, '\0');
        stream.write(v);
        EXPECT_GT(WriteSettingsSnapshot(stream, settings), 0);
        const QString path = program.path(name);
        program.write(name, bytes);
        return path;
    }

    // An INI configuration of the settings, saved as the program saves one.
    QString WriteIniConfig(const TDeviceSettings &settings, const QString &name) {
        const TDeviceSettings live = *DeviceSettings;
        *DeviceSettings = settings;
        const QString path = program.path(name);
        EXPECT_TRUE(SaveConfiguration(path, false));
        *DeviceSettings = live;
        return path;
    }

    // A frequency master whose row takes 9 + 10 x 2 + 6 = 35 s.
    static TDeviceSettings MasterSettings() {
        TDeviceSettings s = QuietSettings();
        s.MasterF.State = 1;
        s.MasterF.Source = 1;
        s.MasterF.RangeN = 9;
        s.MasterF.Interval = 2;
        s.AveragingInterval = 4;
        s.AdcSizeIndex = 2;
        RecomputeBlockSizeFields(s);
        return s;
    }

    TempProgramDir program;
    QStringList messages;
    QList<int> answers; // the boxes' answers in turn, then OK

private:
    QString savedVersion_;
    TSnapshotServices savedServices_;
};

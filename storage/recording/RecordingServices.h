#pragma once

#include "storage/recording/AstRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>

// What the recorder and playback take from windows above this folder and from subsystems that are not
// built yet. Each fills its entries when it joins the program; an empty entry is one this program run
// does not have: the recorder then writes the neutral record (no level-master step, no MTTS level
// adjustment, an empty selective work state, no peer results) and playback leaves that step out.
struct TRecordingServices {
    // The main window's recording switch (Button_SaveDataClick from the NSaveData menu item): inverts
    // RecordingOn and raises the settings record when it switches recording on.
    std::function<void()> ToggleRecording;
    // The folder of a saved recording becomes the main window's last recording folder (with a trailing '/').
    std::function<void(const QString &folder)> RememberDataFolder;

    // The level master's current step level (NoValue when none), and its restoration in playback, which
    // also stamps the master's characteristic with the recorded time.
    std::function<float()> LevelMasterStepLevel;
    std::function<void(float level, double time)> RestoreLevelMasterStep;
    // A recorded master run begins anew in playback.
    std::function<void()> ResetMasterFreqRun;
    std::function<void()> ResetMasterLevRun;

    // The MTTS level adjustment of connection types 3 and 8 (MttsAdjustStateSize bytes), its restoration,
    // and its reset to the start values with the state "none" (-2).
    std::function<QByteArray()> MttsAdjustState;
    std::function<void(const QByteArray &state)> RestoreMttsAdjustState;
    std::function<void()> ResetMttsAdjustState;

    // The selective mode's work state for ".ast", written whole; the bin count of its work arrays, which
    // sizes the bin arrays of ".ast" from V6.10 on. In playback: a new start of the selective work when
    // the point count, the sub-mode or the position in the recording changed since the last record, and
    // the restoration of a record once the step's selective item has been processed.
    std::function<TAstRecord()> SelectiveWorkState;
    std::function<int32_t()> SelectiveBinCount;
    std::function<void()> RestartSelectiveReplay;
    // The recorded settings give the selective result holder other bins than it has: a new plan of the
    // same size, which starts the selective work again too.
    std::function<bool()> SelectivePlanChanged;
    std::function<void(const TAstRecord &record)> RestoreSelectiveWorkState;

    // The last results block received from the peer analyser, byte for byte (empty: none received).
    std::function<QByteArray()> LastRemoteResultsBlock;
};

TRecordingServices &RecordingServices();

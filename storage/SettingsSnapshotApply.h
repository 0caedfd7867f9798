#pragma once

#include "engine/catalogue/ParamDescriptor.h"
#include "state/DeviceSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QBuffer;

// Installing a settings snapshot: the settings record, the weighting characteristic, the parameter
// tables and the pending masks, by the road the caller takes.
enum class SnapshotMode : int {
    Playback = 0,              // a settings record of a recording being played back
    Configuration = 1,         // a configuration load
    PlaybackConfiguration = 2, // a configuration load while playback runs: only the meter settings
    ScenarioRow = 3,           // a scenario row's configuration: handed to the scenario window; its masks wait
};

// What applying a snapshot asks of the windows above this layer; they register their entries at start.
// An empty entry is a window this program run does not have, and the step is skipped.
struct TSnapshotServices {
    // The main window's mask folder, put in front of the stored file names.
    std::function<QString()> MaskDir;
    // Status panels 1 and 2 (maximum frequency, connection type), PrevConnectionType and the interlocks.
    std::function<void()> RefreshSettingsStatus;
    // TMainForm::ApplyBlockSize with its first argument.
    std::function<void(int changed)> ApplyBlockSize;
    // The open settings window shows the record anew.
    std::function<void()> RefreshAllPages;
    std::function<void()> RefreshParamTables;
    // The live masks replaced by the pending ones.
    std::function<void()> ResetGraphsAndMasks;
    // TForm_Graphic::RebindMasks(which) on every open graph window.
    std::function<void(int which)> RebindGraphMasks;
    // TForm_Scenario::SetRowFromConfig when the scenario window exists: the record and the lower norms of
    // NOISE row 4, MTTS row 10 and SIN row 17.
    std::function<void(const TDeviceSettings &settings, float noise4, float mtts10, float sin17)>
        SetScenarioRowFromConfig;
    // Gives up the message on its way and asks the peer to end the remote link (the waiting is the
    // caller's).
    std::function<void()> BreakRemoteConnection;
};
TSnapshotServices &SnapshotServices();

// Reads one snapshot from the stream's position, migrating by the version text of the file or recording
// it comes from, and applies it by mode. A damaged snapshot changes nothing live and returns false with
// the reason in `error` (also written to the debug log).
bool ApplySettingsSnapshot(QBuffer &stream, SnapshotMode mode, const QByteArray &version, QString *error = nullptr);

// The weighting characteristic in force becomes the given one; its file name goes into FileNameList at
// the record's WeightingIndex (appended and indexed when the index names no entry). Without points (or
// when they could not be stored) the entry of the index is emptied and the index kept.
void ApplyWeightingTable(TDeviceSettings &settings, int32_t count, const float *x, const float *y, const QString &name);
// The same for the live record.
void ApplyWeightingTable(int32_t count, const float *x, const float *y, const QString &name);

// Copies the read rows over the live table, keeping the live mask-name indexes and, with keepViewFlags,
// the protocol, time-diagram and text-window switches. The mask-file texts of the rows judged by mask
// files go into MaskNameList at the live indexes: an empty text empties an existing entry, a text for a
// row without an entry is appended and indexed.
void ApplyParamRows(ParamDescriptor *live, const ParamDescriptor *read, int32_t rowCount, const QStringList &lowerNames,
                    const QStringList &upperNames, bool keepViewFlags);

// Brings values a damaged image could hold into the ranges the program indexes with (connection type,
// ADC size index, maximum frequency, maximum level index); a valid image is left as it is.
void BringSettingsIntoRange(TDeviceSettings &settings);

// Asks for the end of the remote link and waits, at most 45 s and not while a scenario runs, until both
// sides' link states are 0.
void BreakRemoteLinkAndWait();

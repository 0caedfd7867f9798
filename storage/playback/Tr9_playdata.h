#pragma once

#include "engine/SstResultItem.h"
#include "storage/recording/AstRecord.h"
#include "storage/recording/RecordingFormat.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

// One playback of a recording: its files, and the step that reads the next index record and feeds what
// changed through the same road as live data. It has no thread: the playback window takes the steps from
// the main thread's event loop, as fast as the loop turns while playing.
class TR9_PlayData {
public:
    // The streams read in a step (ReadFlags).
    enum : int32_t { FlagAdc = 0x01, FlagRnd = 0x10, FlagSst = 0x20, FlagSnc = 0x40, FlagAst = 0x80 };

    // Opens the recording base + ".idx" etc. The index, ".set", ".rnd" and ".adc" must open (a failure is
    // reported and gives null); ".rem", ".sst", ".ast" and ".snc" are optional and their steps are left
    // out when missing. Reads the version and the instrument's identification image of the ".set" header.
    static std::unique_ptr<TR9_PlayData> Open(const QString &base);
    ~TR9_PlayData();
    TR9_PlayData(const TR9_PlayData &) = delete;
    TR9_PlayData &operator=(const TR9_PlayData &) = delete;

    // One step: ReadPlayRecord, then ShowPlayRecord. False when the recording holds no index record or a
    // damaged record ended the playback (reported; the next step starts again from the first record).
    bool Step();

    // Reads the next index record and the records it points at that changed; at the end of the recording
    // it starts again from the first. False when nothing could be read.
    bool ReadPlayRecord();
    // Hands what was read to the analysis and the views; sets Paused when the stop-after time is reached.
    void ShowPlayRecord();

    int64_t Position() const { return position_; }
    int64_t IndexSize() const { return files_[0] ? files_[0]->size() : 0; }
    const QByteArray &Version() const { return version_; }

    // Starts the stop-after clock at the next step.
    bool RestartClock = true;
    // The stop-after time was reached in the last step.
    bool Paused = false;
    // Playback applies the recorded settings record again at the next step.
    void ForgetSettingsRecord() { lastOffset_[StreamSet] = -1; }

private:
    TR9_PlayData() = default;
    void RestartFromBeginning();
    bool TakeSet(int64_t offset);
    bool TakeAdc(int64_t offset);
    bool TakeRnd(int64_t offset);
    bool TakeRem(int64_t offset);
    bool TakeAst(int64_t offset);
    bool TakeSst(int64_t offset);
    bool TakeSnc(int64_t offset);
    void ReportDamage(int32_t stream, int64_t offset);
    bool NothingRecordedYet(int32_t stream, int64_t offset) const;
    QFile *FileOf(int32_t stream) const { return files_[std::size_t(stream) + 1].get(); }

    // Index first, then the data streams in index-record order.
    std::array<std::unique_ptr<QFile>, 8> files_;
    QByteArray version_;
    int32_t lastOffset_[RecordStreamCount] = {-1, -1, -1, -1, -1, -1, -1};
    int32_t readFlags_ = 0;
    int64_t position_ = 0;
    int64_t stepPosition_ = 0;     // the index record of this step
    int64_t previousPosition_ = 0; // ... and of the previous step
    double startTime_ = 0;
    int32_t lastMasterFreqState_ = 0;
    int32_t lastMasterLevState_ = 0;
    int32_t lastPointCount_ = -1;
    int32_t lastSubMode_ = -1;
    int32_t bufferedSst_ = 0;
    std::array<TSstResultItem, 5> sstBuffer_{};
    TSstResultItem lastSstItem_{};
    TAstRecord astRecord_; // the selective work state read in this step
    int16_t lastRndKind_ = 0;
    bool damaged_ = false;
};

// The stop-after durations of the playback window's choices, days: -1 (no stop), 9.5 s, 59.5 s,
// 299.5 s and 899.5 s; -1 for an index outside the list.
double StopAfterDuration(int32_t index);

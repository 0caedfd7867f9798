#include "storage/playback/Tr9_playdata.h"

#include "chartlib/Chartlib.h"
#include "engine/BlockProcessing.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/RandomEventAnalysis.h"
#include "engine/ResultSlots.h"
#include "engine/SignalKindChange.h"
#include "engine/SstParam2.h"
#include "engine/TimeSeries.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "engine/evaluation/ResultDispatcher.h"
#include "link/InstrumentIdent.h"
#include "link/MeterFrameStore.h"
#include "link/connection/ConnectionServices.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/ProgramSettings.h"
#include "storage/ServiceCall.h"
#include "storage/SettingsSnapshotApply.h"
#include "storage/playback/PlayRecordReaders.h"
#include "storage/playback/PlaybackServices.h"
#include "storage/recording/RecordingServices.h"

#include <QBuffer>

#include <cmath>
#include <cstring>

namespace {

enum DispatchSource { FromBlock = 1, FromMeterFrame = 2, FromSelective = 3 };

// The files in the order they are opened, as indexes of the data streams (-1 the index file), and
// whether playback needs them.
struct TPlayFile {
    int32_t Stream;
    bool Required;
};
constexpr TPlayFile PlayFiles[] = {
    {-1, true},         {StreamRnd, true},  {StreamAdc, true},  {StreamSet, true},
    {StreamRem, false}, {StreamSst, false}, {StreamAst, false}, {StreamSnc, false},
};

QString ExtensionOf(int32_t stream) {
    return QLatin1String(stream < 0 ? IndexExtension : StreamExtensions[std::size_t(stream)]);
}

bool SelectiveRunActive() {
    const int32_t state = DeviceSettings->Mirvak.RunState;
    return state == 1 || state == 2;
}

// The first read of a settings record; a larger snapshot is read again with twice as much.
constexpr int64_t SettingsRecordChunk = 1 << 20;

// A time that is no number or an offset before the start of its file: the index record is damaged.
bool IndexRecordFits(const IndexRecord &record) {
    if (!std::isfinite(record.Time))
        return false;
    for (int32_t i = 0; i < RecordStreamCount; ++i)
        if (record.Offsets[i] < 0)
            return false;
    return true;
}

} // namespace

TPlaybackServices &PlaybackServices() {
    static TPlaybackServices services;
    return services;
}

double StopAfterDuration(int32_t index) {
    static constexpr double Seconds[] = {-1, 9.5, 59.5, 299.5, 899.5};
    if (index <= 0 || index >= int32_t(std::size(Seconds)))
        return -1;
    return Seconds[index] / SecondsPerDay;
}

std::unique_ptr<TR9_PlayData> TR9_PlayData::Open(const QString &base) {
    std::unique_ptr<TR9_PlayData> data(new TR9_PlayData);
    for (const TPlayFile &file : PlayFiles) {
        const QString name = base + ExtensionOf(file.Stream);
        std::unique_ptr<QFile> &slot = data->files_[std::size_t(file.Stream + 1)];
        if (file.Required) {
            if (!OpenFileStream(slot, name, FileOpenMode::OpenReadShared, SeekOrigin::Begin))
                return nullptr;
        } else {
            slot = std::make_unique<QFile>(name);
            if (!slot->open(QIODevice::ReadOnly))
                slot.reset();
        }
    }
    QByteArray header;
    QByteArray eeprom;
    QFile &set = *data->FileOf(StreamSet);
    if (!ReadRecordBytes(set, 0, SetHeaderSize, header) || !DecodeSetHeader(header, data->version_, eeprom)) {
        ShowMessage({QStringLiteral("Файл результатов повреждён: ") + set.fileName(), LoadStr(5), MsgIcon::Warning,
                     MsgButtons::Ok});
        return nullptr;
    }
    std::memcpy(EepromImage, eeprom.constData(), EepromImageLength);
    return data;
}

TR9_PlayData::~TR9_PlayData() = default;

bool TR9_PlayData::Step() {
    if (!ReadPlayRecord())
        return false;
    ShowPlayRecord();
    return true;
}

void TR9_PlayData::RestartFromBeginning() {
    std::fill(std::begin(lastOffset_), std::end(lastOffset_), -1);
    lastPointCount_ = -1;
    lastSubMode_ = -1;
    bufferedSst_ = 0;
    ReleaseAllTimeSeries();
    position_ = 0;
    RestartClock = true;
    const TPlaybackServices &services = PlaybackServices();
    CallService(RecordingServices().ResetMttsAdjustState);
    CallService(services.InvalidateRemoteResults);
    CallService(ConnectionServices().RecomputeAfterSettings, 0);
    CallService(services.ClearMasterGraphs);
}

void TR9_PlayData::ReportDamage(int32_t stream, int64_t offset) {
    damaged_ = true;
    // The next step starts again from the first record.
    position_ = IndexSize();
    ShowMessage({QStringLiteral("Файл результатов повреждён: ") + FileOf(stream)->fileName() +
                     QStringLiteral(", смещение ") + QString::number(offset) +
                     QStringLiteral(".\nПросмотр остановлен."),
                 LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
}

bool TR9_PlayData::ReadPlayRecord() {
    readFlags_ = 0;
    damaged_ = false;
    // A partial record at the end is where the recording stops.
    if (position_ + int64_t(sizeof(IndexRecord)) > IndexSize())
        RestartFromBeginning();
    IndexRecord record{};
    if (!ReadIndexRecord(*files_[0], position_, record))
        return false;
    stepPosition_ = position_;
    if (!IndexRecordFits(record)) {
        ReportDamage(-1, stepPosition_); // -1: the index file itself
        return false;
    }
    position_ += sizeof(IndexRecord);
    NowStamp = record.Time;
    using Reader = bool (TR9_PlayData::*)(int64_t);
    // The order in which one step reads the streams.
    static constexpr std::pair<int32_t, Reader> Readers[] = {
        {StreamSet, &TR9_PlayData::TakeSet}, {StreamAdc, &TR9_PlayData::TakeAdc},
        {StreamRnd, &TR9_PlayData::TakeRnd},       {StreamRem, &TR9_PlayData::TakeRem},
        {StreamAst, &TR9_PlayData::TakeAst},       {StreamSst, &TR9_PlayData::TakeSst},
        {StreamSnc, &TR9_PlayData::TakeSnc},
    };
    for (const auto &[stream, read] : Readers) {
        const int32_t offset = record.Offsets[stream];
        if (!FileOf(stream) || offset == lastOffset_[stream] || NothingRecordedYet(stream, offset))
            continue;
        if (!(this->*read)(offset)) {
            if (damaged_)
                return false;
            continue;
        }
    }
    previousPosition_ = stepPosition_;
    return true;
}

bool TR9_PlayData::NothingRecordedYet(int32_t stream, int64_t offset) const {
    // A stream that may be missing may also be empty while its first record is still to come: a step
    // before the first SYNC result points at offset 0 of an empty ".snc". Any other offset at or past the
    // end of a stream is damage.
    const bool optional = std::any_of(std::begin(PlayFiles), std::end(PlayFiles), [stream](const TPlayFile &file) {
        return file.Stream == stream && !file.Required;
    });
    return optional && offset == 0 && FileOf(stream)->size() == 0;
}

bool TR9_PlayData::TakeSet(int64_t offset) {
    QFile &file = *FileOf(StreamSet);
    const int64_t left = file.size() - offset;
    if (offset < SetHeaderSize || left <= 0) {
        ReportDamage(StreamSet, offset);
        return false;
    }
    // The snapshot's length is its own: read a part of the file and more while it is cut short. A
    // snapshot that is refused changes nothing, so it can be read again.
    QByteArray bytes;
    QBuffer record(&bytes);
    for (int64_t chunk = SettingsRecordChunk;; chunk *= 2) {
        if (!ReadRecordBytes(file, offset, std::min(chunk, left), bytes)) {
            ReportDamage(StreamSet, offset);
            return false;
        }
        record.open(QIODevice::ReadOnly);
        if (ApplySettingsSnapshot(record, SnapshotMode::Playback, version_))
            break;
        record.close();
        if (chunk >= left) {
            ReportDamage(StreamSet, offset);
            return false;
        }
    }
    if (!file.seek(offset + record.pos())) {
        ReportDamage(StreamSet, offset);
        return false;
    }
    TDeviceSettings &s = *DeviceSettings;
    TSetRecordTail tail;
    if (!ReadSetRecordTail(file, CarriesMttsAdjustState(s.ConnectionType) && s.Mtts.State > 0, tail)) {
        ReportDamage(StreamSet, offset);
        return false;
    }
    // The recording's identification, under this program's own version and build date.
    tail.Ident.ProgramVersion = InstrumentIdent.ProgramVersion;
    tail.Ident.ProgramDate = InstrumentIdent.ProgramDate;
    InstrumentIdent = tail.Ident;
    RefreshModeState(true, PendingMode);
    CallService(PlaybackServices().MarkRecordedGenerators);
    if (tail.SettingsChanged)
        CallService(ConnectionServices().RecomputeAfterSettings, 0);
    const TRecordingServices &services = RecordingServices();
    const int32_t freqState = s.MasterF.State;
    const int32_t levState = s.MasterL.State;
    if (freqState > 1 && freqState != lastMasterFreqState_)
        CallService(services.ResetMasterFreqRun);
    if (levState > 1) {
        if (levState != lastMasterLevState_)
            CallService(services.ResetMasterLevRun);
        CallService(services.RestoreLevelMasterStep, tail.LevelMasterStep, NowStamp);
    }
    lastMasterFreqState_ = freqState;
    lastMasterLevState_ = levState;
    if (s.Mtts.State < 1)
        CallService(services.ResetMttsAdjustState);
    if (!tail.MttsAdjustState.isEmpty())
        CallService(services.RestoreMttsAdjustState, tail.MttsAdjustState);
    lastOffset_[StreamSet] = int32_t(offset);
    return true;
}

bool TR9_PlayData::TakeAdc(int64_t offset) {
    const int32_t n = DeviceSettings->AdcSize;
    QByteArray bytes;
    if (n <= 0 || n > MaxBlockSize || !EngineBuffers.AdcSampleBuffer ||
        !ReadRecordBytes(*FileOf(StreamAdc), offset, int64_t(n) * 2, bytes)) {
        ReportDamage(StreamAdc, offset);
        return false;
    }
    std::memcpy(EngineBuffers.AdcSampleBuffer, bytes.constData(), std::size_t(bytes.size()));
    lastOffset_[StreamAdc] = int32_t(offset);
    readFlags_ |= FlagAdc;
    return true;
}

bool TR9_PlayData::TakeRnd(int64_t offset) {
    TRndRecord record;
    if (!ReadRndRecord(*FileOf(StreamRnd), offset, record)) {
        ReportDamage(StreamRnd, offset);
        return false;
    }
    MeterFrameStore = record.Frame;
    if (ProgramSettings.UseRecordedSettings) {
        const int32_t *eventSlots = MeterFrameEventSlots(record.Frame.Kind);
        for (int32_t i = 0; i < record.EventCount; ++i)
            SetResult(ResultSlot(eventSlots[i]), record.Events[i]);
    }
    lastOffset_[StreamRnd] = int32_t(offset);
    readFlags_ |= FlagRnd;
    return true;
}

bool TR9_PlayData::TakeRem(int64_t offset) {
    QByteArray block;
    if (!ReadRemRecord(*FileOf(StreamRem), offset, block)) {
        ReportDamage(StreamRem, offset);
        return false;
    }
    const TPlaybackServices &services = PlaybackServices();
    CallService(services.InvalidateRemoteResults);
    if (!block.isEmpty()) {
        TakeRemoteResultRows(reinterpret_cast<const uint8_t *>(block.constData()), block.size());
        CallService(services.ShowRemoteResults);
    }
    lastOffset_[StreamRem] = int32_t(offset);
    return true;
}

bool TR9_PlayData::TakeAst(int64_t offset) {
    if (!SelectiveRunActive())
        return false;
    const TRecordingServices &services = RecordingServices();
    int32_t points = 0;
    if (!ReadAstPointCount(*FileOf(StreamAst), offset, points)) {
        ReportDamage(StreamAst, offset);
        return false;
    }
    const int32_t subMode = DeviceSettings->Mirvak.SubMode;
    if (points != lastPointCount_ || subMode != lastSubMode_ || stepPosition_ < previousPosition_ ||
        (services.SelectivePlanChanged && services.SelectivePlanChanged())) {
        lastPointCount_ = points;
        lastSubMode_ = subMode;
        bufferedSst_ = 0;
        CallService(services.RestartSelectiveReplay);
    }
    // The bin arrays have the bin count of the work arrays that the recorded settings built.
    const int32_t bins = services.SelectiveBinCount ? services.SelectiveBinCount() : 0;
    if (!ReadAstRecord(*FileOf(StreamAst), offset, version_, bins, astRecord_)) {
        ReportDamage(StreamAst, offset);
        return false;
    }
    lastOffset_[StreamAst] = int32_t(offset);
    readFlags_ |= FlagAst;
    return true;
}

bool TR9_PlayData::TakeSst(int64_t offset) {
    QByteArray bytes;
    if (!ReadRecordBytes(*FileOf(StreamSst), offset, SstRecordSize, bytes)) {
        ReportDamage(StreamSst, offset);
        return false;
    }
    TSstResultItem item;
    std::memcpy(&item, bytes.constData(), sizeof item);
    lastOffset_[StreamSst] = int32_t(offset);
    const int32_t groupSize = std::clamp<int32_t>(DeviceSettings->Mirvak.DeviceSubMode, 1, int32_t(sstBuffer_.size()));
    auto hand = [this](const TSstResultItem &one) {
        lastSstItem_ = one;
        if (SstParam)
            AddSstResult(SstParam, one);
        readFlags_ |= FlagSst;
    };
    if (groupSize == 1) {
        hand(item);
        return true;
    }
    // A multi-point group is handed over only whole, when its newest item closes it.
    if (bufferedSst_ == groupSize) {
        std::move(sstBuffer_.begin() + 1, sstBuffer_.begin() + bufferedSst_, sstBuffer_.begin());
        --bufferedSst_;
    }
    sstBuffer_[std::size_t(bufferedSst_++)] = item;
    if (bufferedSst_ == groupSize && item.SstNotScan == 1) {
        for (int32_t i = 0; i < bufferedSst_; ++i)
            hand(sstBuffer_[std::size_t(i)]);
        bufferedSst_ = 0;
    }
    return true;
}

bool TR9_PlayData::TakeSnc(int64_t offset) {
    if (DeviceSettings->SyncGenState <= 0)
        return false;
    float duration = 0;
    float events = 0;
    if (!ReadSncRecord(*FileOf(StreamSnc), offset, duration, events)) {
        ReportDamage(StreamSnc, offset);
        return false;
    }
    SetResult(SlotSyncDuration, duration);
    SetResult(SlotSyncEvents, events);
    lastOffset_[StreamSnc] = int32_t(offset);
    readFlags_ |= FlagSnc;
    return true;
}

void TR9_PlayData::ShowPlayRecord() {
    const TPlaybackServices &services = PlaybackServices();
    if (readFlags_ & FlagAdc)
        ProcessBlock();
    if (readFlags_ & FlagRnd) {
        const int16_t kind = MeterFrameStore.Kind;
        if (kind == SignalKind || (kind == 2 && SignalKind == 5))
            AnalyseMeterFrame();
    }
    if ((readFlags_ & FlagSst) && SelectiveRunActive()) {
        SignalKind = 6;
        SstResultItem = lastSstItem_;
        if (SstParam && SstParam->CurrentBin >= 0 && SstParam->LastSlot >= 0 && MirvakResultProcessing)
            MirvakResultProcessing(lastSstItem_.SstNotScan);
        CallService(services.MoveCursorsToSstFrequency);
    }
    // The record holds the work state after the item of its step, which was processed above.
    if ((readFlags_ & FlagAst) && SelectiveRunActive()) {
        CallService(RecordingServices().RestoreSelectiveWorkState, astRecord_);
        CallService(services.StoreSstTraces);
    }
    if ((readFlags_ & FlagSnc) && DeviceSettings->SyncGenState > 0) {
        SignalKind = 7;
        RecalcSyncResults();
    }
    if (readFlags_ & (FlagAdc | FlagRnd | FlagSst | FlagAst)) {
        RebindTimeSeriesOnKindChange();
        ResultDispatcher(readFlags_ & FlagRnd ? FromMeterFrame : readFlags_ & FlagAdc ? FromBlock : FromSelective);
    }
    RefreshModeState(false, 0);
    if (RestartClock) {
        RestartClock = false;
        startTime_ = NowStamp;
    }
    const double stopAfter = StopAfterDuration(ProgramSettings.PlaybackPauseIndex);
    Paused = stopAfter > 0 && stopAfter <= NowStamp - startTime_;
}

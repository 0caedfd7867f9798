#include "storage/recording/RecordStreams.h"

#include "chartlib/Chartlib.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/ResultSlots.h"
#include "engine/SstResultItem.h"
#include "link/InstrumentIdent.h"
#include "link/MeterFrameStore.h"
#include "platform/MessageService.h"
#include "platform/NoValue.h"
#include "platform/StringTable.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "storage/SettingsSnapshot.h"
#include "storage/recording/RecordingFormat.h"
#include "storage/recording/RecordingServices.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

struct TRecordStream {
    std::unique_ptr<QFile> File;
    QByteArray Pending;  // the record of the current step
    int32_t Offset = 0; // where the newest record of the stream starts
};

struct TRecorder {
    bool FilesOpen = false;
    bool Failed = false;
    TRecordStream Index;
    std::array<TRecordStream, RecordStreamCount> Streams;
};

TRecorder Recorder;

template <typename T> void Append(QByteArray &out, const T &value) {
    out.append(reinterpret_cast<const char *>(&value), qsizetype(sizeof(T)));
}

TRecordStream &StreamOf(RecordStream stream) {
    return Recorder.Streams[std::size_t(stream)];
}

// Recording ends through the main window's switch, so that its button and menu item follow.
void SwitchRecordingOff() {
    if (!RecordingOn)
        return;
    if (const auto &toggle = RecordingServices().ToggleRecording)
        toggle();
    RecordingOn = false;
}

void StopRecording(const QString &text) {
    Recorder.Failed = true;
    for (TRecordStream &stream : Recorder.Streams)
        stream.Pending.clear();
    Recorder.Index.Pending.clear();
    RecordChangeMask = 0;
    SwitchRecordingOff();
    ShowMessage({text + QStringLiteral("\nЗапись результатов остановлена."), LoadStr(5), MsgIcon::Warning,
                 MsgButtons::Ok});
}

bool Flush(TRecordStream &stream) {
    if (stream.Pending.isEmpty())
        return true;
    QFile &file = *stream.File;
    const qint64 start = file.size();
    if (!file.seek(start) || file.write(stream.Pending) != stream.Pending.size() || !file.flush()) {
        StopRecording(QStringLiteral("Ошибка записи в файл ") + file.fileName());
        return false;
    }
    stream.Offset = int32_t(start);
    stream.Pending.clear();
    return true;
}

bool FitsOffsets(const TRecordStream &stream) {
    if (stream.File->size() + stream.Pending.size() <= MaxStreamFileSize)
        return true;
    StopRecording(QStringLiteral("Файл ") + stream.File->fileName() +
                  QStringLiteral(" достиг предельного размера 2 ГБ."));
    return false;
}

} // namespace

bool RecordFilesOpen() {
    return Recorder.FilesOpen;
}

bool RecordingFailed() {
    return Recorder.Failed;
}

std::array<QString, 8> RecordingFileNames() {
    const QString base = RecordingBaseName(InstanceNumber);
    std::array<QString, 8> names;
    names[0] = base + QLatin1String(IndexExtension);
    for (int32_t i = 0; i < RecordStreamCount; ++i)
        names[std::size_t(i) + 1] = base + QLatin1String(StreamExtensions[std::size_t(i)]);
    return names;
}

bool OpenRecordFiles() {
    const std::array<QString, 8> names = RecordingFileNames();
    Recorder = {};
    for (std::size_t i = 0; i < names.size(); ++i) {
        QFile::remove(names[i]);
        TRecordStream &stream = i == 0 ? Recorder.Index : Recorder.Streams[i - 1];
        if (!OpenFileStream(stream.File, names[i], FileOpenMode::Create, SeekOrigin::End)) {
            Recorder = {};
            SwitchRecordingOff();
            return false;
        }
    }
    Recorder.FilesOpen = true;
    RecordChangeMask |= 0x6F;
    TRecordStream &set = StreamOf(StreamSet);
    set.Pending = RecordingVersionField();
    set.Pending.append(reinterpret_cast<const char *>(EepromImage), EepromImageLength);
    return Flush(set);
}

bool WriteAdcRecord() {
    const int32_t n = std::clamp(int32_t(DeviceSettings->AdcSize), 0, MaxBlockSize);
    if (EngineBuffers.AdcSampleBuffer)
        StreamOf(StreamAdc).Pending.append(reinterpret_cast<const char *>(EngineBuffers.AdcSampleBuffer),
                                           qsizetype(n) * 2);
    return true;
}

bool WriteRndRecord() {
    QByteArray &out = StreamOf(StreamRnd).Pending;
    const TMeterFrameStore &frame = MeterFrameStore;
    Append(out, frame.Kind);
    Append(out, frame.Q0);
    Append(out, frame.Q1);
    Append(out, frame.Q2);
    Append(out, frame.Q3);
    const int32_t *eventSlots = MeterFrameEventSlots(frame.Kind);
    for (int32_t i = 0; i < MeterFrameEventCount(frame.Kind); ++i)
        Append(out, ResultValue(ResultSlot(eventSlots[i])));
    return true;
}

bool WriteSstRecord() {
    Append(StreamOf(StreamSst).Pending, SstResultItem);
    return true;
}

bool WriteAstRecord() {
    const auto &state = RecordingServices().SelectiveWorkState;
    StreamOf(StreamAst).Pending.append(EncodeAstRecord(state ? state() : TAstRecord()));
    return true;
}

bool WriteSncRecord() {
    QByteArray &out = StreamOf(StreamSnc).Pending;
    Append(out, ResultValue(SlotSyncDuration));
    Append(out, ResultValue(SlotSyncEvents));
    return true;
}

bool WriteSetRecord() {
    QByteArray &out = StreamOf(StreamSet).Pending;
    QBuffer snapshot(&out);
    snapshot.open(QIODevice::WriteOnly | QIODevice::Append);
    if (WriteSettingsSnapshot(snapshot, *DeviceSettings) == 0) {
        StopRecording(QStringLiteral("Настройки не помещаются в запись файла ") + StreamOf(StreamSet).File->fileName());
        return false;
    }
    snapshot.close();
    Append(out, InstrumentIdent);
    Append(out, uint8_t(RecordChangeMask & 0x10));
    const TRecordingServices &services = RecordingServices();
    Append(out, services.LevelMasterStepLevel ? services.LevelMasterStepLevel() : NoValue);
    const TDeviceSettings &s = *DeviceSettings;
    if (CarriesMttsAdjustState(s.ConnectionType) && s.Mtts.State > 0) {
        QByteArray state = services.MttsAdjustState ? services.MttsAdjustState() : QByteArray();
        if (state.size() != MttsAdjustStateSize) {
            // Without the adjustment the record carries the state "none" and zero values.
            state = QByteArray(MttsAdjustStateSize, '\0');
            const int16_t none = -2;
            std::memcpy(state.data(), &none, sizeof none);
        }
        out.append(state);
    }
    return true;
}

bool WriteRemRecord() {
    const auto &block = RecordingServices().LastRemoteResultsBlock;
    const QByteArray bytes = block ? block() : QByteArray();
    QByteArray &out = StreamOf(StreamRem).Pending;
    Append(out, int32_t(bytes.size()));
    out.append(bytes);
    return true;
}

bool WriteIndexRecord() {
    for (const TRecordStream &stream : Recorder.Streams)
        if (!FitsOffsets(stream))
            return false;
    if (!FitsOffsets(Recorder.Index))
        return false;
    IndexRecord record{};
    record.Time = NowStamp;
    for (int32_t i = 0; i < RecordStreamCount; ++i) {
        TRecordStream &stream = Recorder.Streams[std::size_t(i)];
        if (!Flush(stream))
            return false;
        record.Offsets[i] = stream.Offset;
    }
    Append(Recorder.Index.Pending, record);
    if (!Flush(Recorder.Index))
        return false;
    RecordChangeMask = 0;
    return true;
}

void WriteRecordingStep() {
    // The order in which the streams of one step are written.
    static constexpr std::pair<int32_t, bool (*)()> Writers[] = {
        {0x02, WriteAdcRecord}, {0x04, WriteRndRecord}, {0x20, WriteSstRecord}, {0x40, WriteAstRecord},
        {0x80, WriteSncRecord}, {0x01, WriteSetRecord}, {0x08, WriteRemRecord},
    };
    for (const auto &[bit, write] : Writers)
        if ((RecordChangeMask & bit) && !write())
            return;
    if (RecordChangeMask != 0)
        WriteIndexRecord();
}

void CloseRecordFiles() {
    Recorder = {};
    RecordChangeMask = 0;
    RecordingOn = false;
}

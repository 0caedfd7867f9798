#include "shell/Main.h"

#include "chartlib/Chartlib.h"
#include "engine/Calibration.h"
#include "engine/EngineBuffers.h"
#include "engine/ResultSlots.h"
#include "engine/SstResultItem.h"
#include "link/Dspio9.h"
#include "link/Emulator.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "link/MeterFrameStore.h"
#include "link/PowerReadings.h"
#include "link/connection/Tr9sendgetcommand.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"
#include "selective/MirvakRun.h"
#include "settings/GeneratorStates.h"
#include "settings/GeneratorCommands.h"
#include "settings/SettingsInterlocks.h"
#include "settings/remote/RemoteExchange.h"
#include "shell/MainSst.h"
#include "shell/StatusBar2.h"
#include "state/DeviceSettings.h"
#include "state/MainGlobals.h"
#include "state/RecordChangeMask.h"
#include "state/SettingsLoadState.h"

#include <QLabel>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr uint16_t OldestFirmwareVersion = 1042;
constexpr std::size_t CalibrationStart = 140; // the 24-byte and the 504-byte calibration blocks follow
constexpr std::size_t CalibrationEnd = 668;
constexpr int SstItemsPerPointMax = 5;
constexpr uint32_t CompletedBlockSamples = 2046;
constexpr double InstrumentTicksPerDay = 86400.0 * 1024.0;

const char *const WarningCaption = "Предупреждение";

template <typename T> T ImageValue(std::size_t offset) {
    T value;
    std::memcpy(&value, EepromImage + offset, sizeof value);
    return value;
}

void Warn(const QString &text) {
    ShowMessage({text, QString::fromUtf8(WarningCaption), MsgIcon::Warning, MsgButtons::Ok});
}

// Share of a transfer that is done, 0 to 1; a transfer without a total has nothing done yet.
double TransferShare(uint32_t total, uint32_t done) {
    return total == 0 ? 0.0 : std::min(1.0, double(done) / total);
}

// A frequency as the phase step of the instrument's oscillator, f / SampleRate x 2^32, truncated and
// taken modulo 2^32 as the instrument's 32-bit arithmetic does; 0 for a rate that is no positive number.
uint32_t TruncatedPhaseStep(double frequency, double sampleRate) {
    const double step = frequency / sampleRate * 4294967296.0;
    if (!(sampleRate > 0) || !std::isfinite(step))
        return 0;
    return uint32_t(uint64_t(std::trunc(std::clamp(step, 0.0, 1.8e19))));
}

} // namespace

void TMainForm::InitInstrumentIdent() {
    InstrumentIdent = {};
    InstrumentIdent.ProgramVersion = ProgramVersionWord;
    InstrumentIdent.ProgramDate = TextToDate(QString::fromLatin1(ProgramBuildDateText)).value_or(0);
    CopyToFixedField(InstrumentIdent.DspFirmwareDate, LoadStr(149), sizeof InstrumentIdent.DspFirmwareDate - 1);
}

void TMainForm::AssignLinkHandlers(TDspIo9 *dspIo, TEmulator *emulator) {
    if (emulator)
        emulator->OnAdcArray = [this](TEmulator *, const int16_t *samples, uint32_t n, uint32_t t) {
            DspAdcArray(samples, n, t);
        };
    if (!dspIo)
        return;
    dspIo->OnDisconnect = [this](TDspIo9 *, int16_t err, int16_t v) { DspDisconnect(err, v); };
    dspIo->OnAdcArray = [this](TDspIo9 *, const int16_t *samples, uint32_t n, uint32_t t) {
        DspAdcArray(samples, n, t);
    };
    dspIo->OnMetCadr = [this](TDspIo9 *, int16_t kind, int32_t q0, int32_t q1, int32_t q2, int16_t q3,
                              int16_t overflows, uint32_t t) { DspMetCadr(kind, q0, q1, q2, q3, overflows, t); };
    dspIo->OnIdent = [this](TDspIo9 *, uint16_t logic, uint16_t firmware, const char *date, const int16_t *image) {
        DspIdent(logic, firmware, date, image);
    };
    dspIo->OnAdcDacErr = [this](TDspIo9 *, int32_t adc, int32_t dac) { DspAdcDacErr(adc, dac); };
    dspIo->OnMesInp = [this](TDspIo9 *, int16_t id, const int16_t *data, uint32_t n) { DspMesInp(id, data, n); };
    dspIo->OnMesInpErr = [this](TDspIo9 *, uint32_t, uint32_t) { DspMesInpErr(); };
    dspIo->OnMesOutFin = [this](TDspIo9 *, int16_t err, int16_t v) { DspMesOutFin(err, v); };
    dspIo->OnMesInpProgress = [this](TDspIo9 *, uint32_t total, uint32_t done) { DspMesInpProgress(total, done); };
    dspIo->OnMesOutProgress = [this](TDspIo9 *, uint32_t total, uint32_t done) { DspMesOutProgress(total, done); };
    dspIo->OnSstRez = [this](TDspIo9 *, double re, double im, uint32_t f, uint32_t t, int16_t errors, int16_t type) {
        DspSstRez(re, im, f, t, errors, type);
    };
    dspIo->OnSstStop = [this](TDspIo9 *) { DspSstStop(); };
    dspIo->OnSyncMet = [this](TDspIo9 *, uint32_t value) { DspSyncMet(value); };
    dspIo->OnGenOverheat = [this](TDspIo9 *, uint32_t flag) { DspGenOverheat(flag); };
}

// The instrument counts time in 1/1024 s from the open of the link; the newest data never moves back.
void TMainForm::AdvanceTimeStamps(uint32_t time) {
    const double stamp = RunStart + time / InstrumentTicksPerDay;
    if (stamp > NowStamp)
        NowStamp = stamp;
    LastDataTime = Now();
}

void TMainForm::DspIdent(uint16_t VHD, uint16_t VFW, const char *DateTime, const int16_t *Eprom) {
    Timer_PowerStatus->stop();
    std::memcpy(EepromImage, Eprom, sizeof EepromImage);
    TInstrumentIdent &id = InstrumentIdent;
    id.DspFirmwareVersion = int16_t(VFW);
    char date[sizeof id.DspFirmwareDate] = {};
    std::memcpy(date, DateTime, strnlen(DateTime, sizeof date - 1));
    std::memcpy(id.DspFirmwareDate, date, sizeof date);
    id.DspLogicVersion = int16_t(VHD);
    id.SerialNumber = ImageValue<int16_t>(0);
    id.HardwareVersion = ImageValue<int16_t>(2);
    id.DesignVariant = ImageValue<int32_t>(4);
    id.DspBoardCode = ImageValue<int32_t>(8);
    id.AswBoardCode = ImageValue<int32_t>(12);
    id.IcmBoardCode = ImageValue<int32_t>(16);
    id.AswLogicVersion = ImageValue<int16_t>(20);
    id.IcmLogicVersion = ImageValue<int16_t>(22);
    id.PowerAdapterCode = ImageValue<int32_t>(24);
    id.BatteryCode = ImageValue<int32_t>(28);
    id.DeliveryVariant = int16_t(ImageValue<uint16_t>(32) >> 4);
    id.Calibrated = EepromImage[32] & 1;
    id.CalibrationDate = ImageValue<int16_t>(38);
    if (VFW < OldestFirmwareVersion)
        Warn(QStringLiteral("Версия встроенного ПО DSP устарела. Обновите файл r9_307.i00!"));
    if (!CheckEepromCrc(std::span<const uint8_t, EepromImageSize>(EepromImage, EepromImageSize))) {
        Warn(QStringLiteral("Контрольная сумма в EEPROM анализатора не совпадает!\nОбратитесь в фирму-производитель."));
        std::fill(EepromImage + CalibrationStart, EepromImage + CalibrationEnd, uint8_t(0));
    }
    InitPowerStates();
    PowerReadPhase = 1;
    SendCommand();
    Timer_PowerStatus->start();
}

void TMainForm::DspAdcArray(const int16_t *adcArray, uint32_t Nadc, uint32_t Tadc) {
    Panel_Time->setText(SecondsToClock(int32_t(Tadc / 1024), true));
    if ((DspIo && Button_Stop->isChecked()) || SettingsLoadState == 2)
        return;
    const int32_t size = DeviceSettings->AdcSize;
    const bool completed = Nadc == CompletedBlockSamples && size == 2048;
    if ((int64_t(Nadc) != size && !completed) || size <= 0 || size > MaxBlockSize || !EngineBuffers.AdcSampleBuffer)
        return;
    SettingsLoadState = 0;
    int16_t *samples = EngineBuffers.AdcSampleBuffer;
    std::copy_n(adcArray, Nadc, samples);
    if (completed) {
        samples[2046] = samples[0];
        samples[2047] = samples[1];
    }
    if (!PlaybackOn)
        AdvanceTimeStamps(Tadc);
    TDeviceSettings &s = *DeviceSettings;
    if (s.SyncGenState != 3)
        ProcessAdcBlock();
    if ((s.SyncGenState == 1 || s.SyncGenState == 2) && s.SyncMonitoring == 0) {
        // The count spans the whole field, so a pulse count above 255 is reached too.
        const int32_t count = s.SyncPulseCount;
        s.SyncPulseCount = count < std::numeric_limits<int32_t>::max() ? count + 1 : count;
        if (s.SyncCountPulse <= s.SyncPulseCount)
            MarkSyncFinished();
    }
    SettingsLoadState = 1;
}

void TMainForm::DspMetCadr(int16_t FLGcomm, int32_t SGNcomm, int32_t NSEcomm, int32_t SNRcomm, int16_t FRQcomm,
                           int16_t OVRcomm, uint32_t Tcomm) {
    if ((DspIo && Button_Stop->isChecked()) || DeviceSettings->EventCounting != 1 || SignalKind <= 0 ||
        SettingsLoadState == 2)
        return;
    SettingsLoadState = 0;
    MeterFrameStore = {FLGcomm, SGNcomm, NSEcomm, SNRcomm, FRQcomm};
    AdvanceTimeStamps(Tcomm);
    ProcessMeterFrame();
    Panel_ComOver->setText(QString::number(OVRcomm));
    SettingsLoadState = 1;
}

void TMainForm::DspAdcDacErr(int32_t StartIndex, int32_t EndIndex) {
    if (StartIndex)
        ++AdcErrorCount;
    if (EndIndex)
        ++DacErrorCount;
    Panel_AdcDacErr->setText(QString::number(AdcErrorCount) + '/' + QString::number(DacErrorCount));
    if (!TechnologyMode || (!StartIndex && !EndIndex))
        return;
    Warn(EndIndex ? QStringLiteral("Сбой ЦАП. Обнаружено неуспевание ЦАП.")
                  : QStringLiteral("Сбой АЦП. Обнаружен пропуск данных АЦП."));
}

void TMainForm::DspDisconnect(int16_t err, int16_t v) {
    QString text;
    switch (err) {
    case 1:
        text = QStringLiteral("Пропадание сигнала CTS -  выключение или разрыв связи.");
        break;
    case 2:
        text = QStringLiteral("Зависание DSP");
        break;
    case 3:
        text = QStringLiteral("Отказ модуля ASW, v = 0x") +
               QStringLiteral("%1").arg(uint8_t(v), 2, 16, QLatin1Char('0')).toUpper();
        break;
    case 4:
        text = QStringLiteral("Отказ аналогового питания.");
        break;
    default:
        break;
    }
    CommandFailed = true;
    StopRequest = true;
    ShowMessage({text, QStringLiteral("Ошибка"), MsgIcon::Error, MsgButtons::Ok});
}

void TMainForm::DspMesInp(int16_t, const int16_t *data, uint32_t Ndata) {
    TransferProgress = -1;
    RemoteMessageArrived(reinterpret_cast<const uint8_t *>(data), int32_t(2 * std::min<uint32_t>(Ndata, INT32_MAX / 2)));
}

void TMainForm::DspMesInpErr() {
    TransferProgress = -1;
    SetSettingsLocked(false);
    RemoteMessageFailed();
    StatusBar2->update();
}

void TMainForm::DspMesOutFin(int16_t err, int16_t v) {
    TransferProgress = -1;
    SetSettingsLocked(false);
    EndRemoteTransmission(v != 0, err);
    StatusBar2->update();
}

void TMainForm::ShowMessageTransferState(bool sending) {
    SetSettingsLocked(sending);
    if (sending) {
        StatusBar2->SetPanelText(3, LoadStr(164));
        TransferProgress = 1;
    } else {
        if (StatusBar2->PanelText(3) == LoadStr(164))
            StatusBar2->SetPanelText(3, QString());
        TransferProgress = -1;
    }
    StatusBar2->repaint();
}

void TMainForm::DspMesInpProgress(uint32_t N, uint32_t i) {
    StatusBar2->SetPanelText(3, LoadStr(455));
    TransferProgress = int(std::trunc(5 * TransferShare(N, i) + 0.5));
    StatusBar2->update();
}

void TMainForm::DspMesOutProgress(uint32_t N, uint32_t i) {
    StatusBar2->SetPanelText(3, LoadStr(164));
    TransferProgress = std::min(int(std::trunc(5 * TransferShare(N, i) + 0.5)) + 1, 5);
    StatusBar2->update();
}

void TMainForm::DspSyncMet(uint32_t VSRV) {
    const int32_t state = DeviceSettings->SyncGenState;
    if ((state != 1 && state != 2) || SettingsLoadState == 2 || VSRV >= 32768)
        return;
    SettingsLoadState = 0;
    // The instrument measures the pulse on its SYNC input in steps of 100 us.
    SetResult(SlotSyncDuration, 100.0f * float(VSRV));
    ProcessSyncMet();
    SettingsLoadState = 1;
}

void TMainForm::DspGenOverheat(uint32_t VSRV) {
    const bool shown = StatusBar2->PanelText(3).contains(QStringLiteral("Перегрев"));
    if (VSRV == 0) {
        if (shown) {
            StatusBar2->SetPanelText(3, QString());
            StatusBar2->update();
        }
        return;
    }
    if (!shown) {
        StatusBar2->SetPanelText(3, QStringLiteral(" Перегрев генератора.Отключите на 5 мин!"));
        StatusBar2->update();
    }
}

void TMainForm::DspSstRez(double Re, double Im, uint32_t dP, uint32_t T, int16_t OVR, int16_t SstEnd) {
    SignalKind = 6;
    const TSstBufferedItem item{Re, Im, dP, T, uint16_t(OVR), uint16_t(SstEnd)};
    if (SettingsLoadState == 2) {
        BufferSstItem(item);
        if (sstItems_.size() + 3 > sstCapacity_)
            ReplaySstItems();
        return;
    }
    SettingsLoadState = 0;
    if (sstCapacity_ > 0) {
        BufferSstItem(item);
        ReplaySstItems();
    } else {
        ProcessSstItem(item);
    }
    SettingsLoadState = 1;
}

// The buffer is allocated once with room for the items of every measuring point of a full plan; an
// item that finds it full (possible only while a replay is under way) is processed at once instead.
void TMainForm::BufferSstItem(const TSstBufferedItem &item) {
    if (sstCapacity_ == 0) {
        const int perPoint = std::clamp(int(DeviceSettings->Mirvak.DeviceSubMode), 1, SstItemsPerPointMax);
        sstCapacity_ = std::size_t(perPoint) * MirvakSetCapacity;
        sstItems_.reserve(sstCapacity_);
    }
    if (sstItems_.size() < sstCapacity_)
        sstItems_.push_back(item);
    else
        ProcessSstItem(item);
}

void TMainForm::ReplaySstResults() {
    if (DeviceSettings->Mirvak.RunState > 0 && !sstItems_.empty() && sstItems_.back().ItemType == 2)
        ReplaySstItems();
}

// Items that arrive while the replay pumps messages join the end of the buffer and are replayed in turn.
void TMainForm::ReplaySstItems() {
    if (sstReplaying_)
        return;
    sstReplaying_ = true;
    for (std::size_t i = 0; i < sstItems_.size(); ++i) {
        const TSstBufferedItem item = sstItems_[i];
        ProcessSstItem(item);
        PumpMessages();
    }
    sstReplaying_ = false;
    FreeSstItems();
}

void TMainForm::FreeSstItems() {
    sstItems_ = {};
    sstCapacity_ = 0;
}

void TMainForm::ProcessSstItem(const TSstBufferedItem &item) {
    const TDeviceSettings &s = *DeviceSettings;
    uint32_t f = item.FreqCode;
    const int32_t options = s.Mirvak.Options;
    const float meterShift = s.Mirvak.FcM;
    if ((options & 1) && meterShift > 0) {
        const uint32_t d = TruncatedPhaseStep(meterShift, s.SampleRate);
        f = (options & 2) ? f - d : d - f;
    }
    if (item.Time != 0) {
        AdvanceTimeStamps(item.Time);
        LastSstTime = item.Time;
        SstResultItem.SstNotScan = s.Mirvak.SubMode == 1 ? 0 : 1;
    } else {
        SstResultItem.SstNotScan = 0;
    }
    SstResultItem.Re = item.Re;
    SstResultItem.Im = item.Im;
    SstResultItem.FreqCode = f;
    Panel_SSTErr->setText(QString::number(item.ErrorCount));
    const bool stopping = s.Mirvak.RunState == 3;
    if (item.ItemType == 0) {
        if (!stopping) {
            ProcessSstResult();
            MoveCursorsToSstFrequency();
        }
    } else if (item.ItemType == 1 || item.ItemType == 2) {
        SstResultItem.SstNotScan = 1;
        RecordChangeMask |= 0x40;
        if (!stopping) {
            ProcessSstResult();
            MoveCursorsToSstFrequency();
        }
        StoreSstTraces();
        if (item.ItemType == 2)
            OnMirvakPassEnd();
    }
}

void TMainForm::DspSstStop() {
    FinishMirvakRun();
}

#include "storage/ConfigOptions.h"

#include "chartlib/Chartlib.h"
#include "engine/TimeSeries.h"
#include "platform/IniFile.h"
#include "state/ProgramSettings.h"
#include "storage/ConfigOptionsSources.h"

#include <algorithm>

namespace {

const QString RecordingSection = QStringLiteral("Сохранение результатов в файле данных");
const QString OptionsSection = QStringLiteral("Дополнительно");
const QString PlaybackSection = QStringLiteral("Воспроизведение результатов измерений из файла");
const QString TimeSeriesSection = QStringLiteral("Временные диаграммы");

const QString PrecisionKey = QStringLiteral("Точность представления числа");
const QString AutoWindowKey = QStringLiteral("Автоматическая смена окон");
const QString AutoProtocolKey = QStringLiteral("Автозапись протокола");
const QString UseRecordedKey = QStringLiteral("Использовать настройки из файла");
const QString PauseIndexKey = QStringLiteral("Индекс паузы при воспроизведении");
const QString SeriesCountKey = QStringLiteral("Всего графиков");

// The dialog offers 1 to 10 decimals; a damaged file must not make every value a page of zeros.
constexpr int MinPrecision = 1;
constexpr int MaxPrecision = 10;

// "№3 вкл": numbered keys of the sections whose entries repeat.
QString NumberedKey(int n, const char *name) {
    return QStringLiteral("№") + QString::number(n) + QLatin1Char(' ') + QString::fromUtf8(name);
}

int16_t ReadInt16(TCustomIniFile &ini, const QString &section, const QString &key, int16_t current) {
    return int16_t(std::clamp(ini.ReadInteger(section, key, current), -32768, 32767));
}

// Line breaks would split the INI line; captions of curve rows carry one.
QString OneLine(QString text) {
    return text.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
}

} // namespace

void SetProgramPrecision(int precision) {
    ProgramSettings.Precision = int16_t(std::clamp(precision, MinPrecision, MaxPrecision));
    SetPrecisionZeros(ProgramSettings.Precision);
}

void WriteRecordingOptions(TCustomIniFile &ini) {
    for (int n = 1; n <= RecordingWindowCount; ++n) {
        const RecordingWindow window = ProgramSettings.RecordingWindows[n - 1];
        ini.WriteInteger(RecordingSection, NumberedKey(n, "вкл"), window.Enabled);
        ini.WriteFloat(RecordingSection, NumberedKey(n, "Начало записи"), window.Start);
        ini.WriteFloat(RecordingSection, NumberedKey(n, "Конец  записи"), window.End);
    }
    ini.WriteInteger(OptionsSection, PrecisionKey, ProgramSettings.Precision);
    ini.WriteInteger(OptionsSection, AutoWindowKey, ProgramSettings.AutoWindowChange);
    ini.WriteInteger(OptionsSection, AutoProtocolKey, ProgramSettings.AutoProtocol);
    ini.WriteInteger(PlaybackSection, UseRecordedKey, ProgramSettings.UseRecordedSettings);
    ini.WriteInteger(PlaybackSection, PauseIndexKey, ProgramSettings.PlaybackPauseIndex);
}

void ReadRecordingOptions(TCustomIniFile &ini) {
    TProgramSettings &p = ProgramSettings;
    for (int n = 1; n <= RecordingWindowCount; ++n) {
        RecordingWindow window = p.RecordingWindows[n - 1];
        window.Enabled = ReadInt16(ini, RecordingSection, NumberedKey(n, "вкл"), window.Enabled);
        window.Start = ini.ReadFloat(RecordingSection, NumberedKey(n, "Начало записи"), window.Start);
        window.End = ini.ReadFloat(RecordingSection, NumberedKey(n, "Конец  записи"), window.End);
        p.RecordingWindows[n - 1] = window;
    }
    SetProgramPrecision(ini.ReadInteger(OptionsSection, PrecisionKey, p.Precision));
    p.AutoWindowChange = ReadInt16(ini, OptionsSection, AutoWindowKey, p.AutoWindowChange);
    p.AutoProtocol = ReadInt16(ini, OptionsSection, AutoProtocolKey, p.AutoProtocol);
    p.PlaybackPauseIndex =
        int8_t(std::clamp(ini.ReadInteger(PlaybackSection, PauseIndexKey, p.PlaybackPauseIndex), -128, 127));
}

void WriteTimeSeriesKeys(TCustomIniFile &ini) {
    int k = 0;
    for (const std::unique_ptr<TimeSeries> &series : TimeSeriesSlots) {
        // A parameter row's series comes back from the row's own switch; only graph points are stored.
        if (!series || series->PointIndex == -1)
            continue;
        ++k;
        ini.WriteInteger(TimeSeriesSection, NumberedKey(k, "FormIndex"), series->UnitCode);
        ini.WriteString(TimeSeriesSection, NumberedKey(k, "Title"), OneLine(series->Caption));
        ini.WriteInteger(TimeSeriesSection, NumberedKey(k, "Color"), series->Colour);
        ini.WriteInteger(TimeSeriesSection, NumberedKey(k, "Index"), series->ParamId);
        ini.WriteInteger(TimeSeriesSection, NumberedKey(k, "Pos"), series->PointIndex);
    }
    ini.WriteInteger(TimeSeriesSection, SeriesCountKey, k);
}

void ReadTimeSeriesKeys(TCustomIniFile &ini) {
    const int count = std::clamp(ini.ReadInteger(TimeSeriesSection, SeriesCountKey, 0), 0, TimeSeriesSlotCount);
    for (int k = 1; k <= count; ++k) {
        const QString title = ini.ReadString(TimeSeriesSection, NumberedKey(k, "Title"), QString());
        const int index = ini.ReadInteger(TimeSeriesSection, NumberedKey(k, "Index"), -1);
        const int position = ini.ReadInteger(TimeSeriesSection, NumberedKey(k, "Pos"), 0);
        BindSourceTimeSeries(title, index, position, false);
    }
}

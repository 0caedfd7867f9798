#pragma once

class TCustomIniFile;

// The sections of an INI configuration that are neither instrument nor parameter settings: the recording
// time windows with the program and playback options, and the time series of graph points. A key missing
// on reading keeps the value in force.

// "Сохранение результатов в файле данных" (ten windows, always all ten), "Дополнительно" and
// "Воспроизведение результатов измерений из файла".
void WriteRecordingOptions(TCustomIniFile &ini);
// Reads them back and rebuilds the precision text. "Использовать настройки из файла" is written only:
// the playback option keeps its value.
void ReadRecordingOptions(TCustomIniFile &ini);

// The number precision of the program settings (kept within the dialog's 1 to 10 decimals) and the
// precision text built from it.
void SetProgramPrecision(int precision);

// "Временные диаграммы": the series of graph points, numbered from 1 in slot order, and their count.
void WriteTimeSeriesKeys(TCustomIniFile &ini);
// Asks for a series for every entry whose source code names a curve; while a configuration load holds
// the settings lock the bindings refuse, so the series after a load come from the rows' own switches.
void ReadTimeSeriesKeys(TCustomIniFile &ini);

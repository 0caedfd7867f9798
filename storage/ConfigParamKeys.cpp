#include "storage/ConfigParamKeys.h"

#include "storage/DeviceSettingsKeys.h"
#include "storage/FilePaths.h"

#include "chartlib/Chartlib.h"
#include "engine/catalogue/MaskCodeRange.h"
#include "engine/catalogue/MaskNameList.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/masks/MaskArray.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "platform/StringTable.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// One norm of a row: its word in the keys, its side in the mask arrays and its fields.
struct NormSide {
    const char16_t *Word;
    int32_t Which;
    uint8_t ParamSettings::*Apply;
    float ParamSettings::*Value;
    int16_t ParamSettings::*MaskName;
    uint8_t ParamDescriptor::*Allowed;
};

constexpr NormSide LowerNorm{u"снизу",
                             MaskLowerSide,
                             &ParamSettings::ApplyLower,
                             &ParamSettings::LowerNorm,
                             &ParamSettings::LowerMaskName,
                             &ParamDescriptor::LowerNormAllowed};
constexpr NormSide UpperNorm{u"сверху",
                             MaskUpperSide,
                             &ParamSettings::ApplyUpper,
                             &ParamSettings::UpperNorm,
                             &ParamSettings::UpperMaskName,
                             &ParamDescriptor::UpperNormAllowed};

// The scale of a mask in percent.
constexpr int MinMaskScale = 1;
constexpr int MaxMaskScale = 200;

QString SectionOf(const QString &tableName) {
    return QStringLiteral("Настройка параметров ") + tableName;
}

QString PrefixOf(const ParamDescriptor &row) {
    return QString::fromUtf8(row.Caption).remove(u'\n');
}

QString NormKey(const QString &prefix, const char16_t *what, const NormSide &side) {
    return prefix + QString::fromUtf16(what) + QString::fromUtf16(side.Word);
}

QString TemplateKey(const QString &prefix, const NormSide &side, int n) {
    return NormKey(prefix, u" Имя шаблона ", side) + QStringLiteral(" #") + QString::number(n);
}

bool JudgedByMaskFiles(const ParamDescriptor &row) {
    return row.TextNorms == 1;
}

// Stored into the flag's byte, as every integer key is.
void ReadFlag(TCustomIniFile &ini, const QString &section, const QString &key, uint8_t &flag) {
    flag = uint8_t(ini.ReadInteger(section, key, 0));
}

// A value that is no finite float (a damaged file) keeps the default.
float ReadFinite(TCustomIniFile &ini, const QString &section, const QString &key, double def) {
    const float value = float(ini.ReadFloat(section, key, def));
    return std::isfinite(value) ? value : float(def);
}

// The templates were just found, so a file gone meanwhile is looked for once more as a configuration's
// file is; a file that is no mask is reported and left out.
class ConfigTemplateChooser final : public TMaskFileChooser {
public:
    explicit ConfigTemplateChooser(const ConfigFileNames &names) : names_(names) {}
    QString ReplaceMissing(const QString &path) override {
        QString located = path;
        return LocateFile(located, names_.MaskDir, names_.DirMaskFile) ? located : QString();
    }
    void ReportDamaged(const QString &path, const QString &reason) override {
        ShowMessage({LoadStr(279) + QStringLiteral(" '") + path + QStringLiteral("' не является файлом маски (") +
                         reason + QStringLiteral(") и не загружен!"),
                     LoadStr(5), MsgIcon::Warning, MsgButtons::Ok});
    }

private:
    const ConfigFileNames &names_;
};

const NormSide &SideOf(int which) {
    return which == MaskUpperSide ? UpperNorm : LowerNorm;
}

void WriteNorm(const ParamDescriptor &row, TCustomIniFile &ini, const QString &section, const QString &prefix,
               const NormSide &side, const ConfigFileNames &names) {
    if (!JudgedByMaskFiles(row)) {
        ini.WriteFloat(section, NormKey(prefix, u" Значение нормы ", side), RoundFrequency(row.Settings.*side.Value));
        return;
    }
    int count = 0;
    if (const TMASK *mask = SlotMask(row.MaskSlot, side.Which)) {
        count = int(mask->Paths.size());
        for (int n = 1; n <= count; ++n) {
            QString path = mask->Paths[n - 1];
            MakeRelativePath(path, names.MaskDir);
            ini.WriteString(section, TemplateKey(prefix, side, n), path);
        }
        ini.WriteInteger(section, NormKey(prefix, u" Масштаб шаблона ", side), mask->Scale);
    } else {
        ini.WriteString(section, NormKey(prefix, u" Имя шаблона ", side), QString());
    }
    ini.WriteInteger(section, NormKey(prefix, u" Количество шаблонов ", side), count);
}

void ReadNorm(ParamDescriptor &row, TCustomIniFile &ini, const QString &tableName, const QString &prefix,
              const NormSide &side, const ConfigFileNames &names) {
    const QString section = SectionOf(tableName);
    if (!JudgedByMaskFiles(row)) {
        float &value = row.Settings.*side.Value;
        value = ReadFinite(ini, section, NormKey(prefix, u" Значение нормы ", side), RoundFrequency(value));
        return;
    }
    // A count beyond the keys of the section cannot name that many templates: it is damaged.
    const int keys = int(ini.ReadSection(section).size());
    const int count = std::clamp(ini.ReadInteger(section, NormKey(prefix, u" Количество шаблонов ", side), 0), 0, keys);
    QString text;
    // A row without a mask slot has nowhere to put a mask, whatever templates it names.
    if (count != 0 && row.MaskSlot >= 0 && row.MaskSlot < MaskSlotCount) {
        const int scale = std::clamp(ini.ReadInteger(section, NormKey(prefix, u" Масштаб шаблона ", side), 100),
                                     MinMaskScale, MaxMaskScale);
        QStringList paths;
        for (int n = 1; n <= count; ++n) {
            QString path = ini.ReadString(section, TemplateKey(prefix, side, n), QString());
            MakeAbsolutePath(path, names.MaskDir);
            paths.append(path);
        }
        text = LoadMaskTemplates(row, ini, paths, scale, row.MaskSlot, side.Which, tableName, prefix, names);
    }
    StoreMaskName(row.Settings.*side.MaskName, text);
}

} // namespace

void WriteParamRow(const ParamDescriptor &row, TCustomIniFile &ini, const QString &tableName,
                   const ConfigFileNames &names) {
    const QString section = SectionOf(tableName);
    const QString prefix = PrefixOf(row);
    const ParamSettings &s = row.Settings;
    ini.WriteInteger(section, prefix + QStringLiteral(" Анализ параметра"), s.Analyse);
    ini.WriteInteger(section, prefix + QStringLiteral(" Протокол"), s.Protocol);
    ini.WriteInteger(section, prefix + QStringLiteral(" Временная диаграмма"), s.TimeDiagram);
    ini.WriteInteger(section, prefix + QStringLiteral(" Текстовое окно"), s.TextWindow);
    for (const NormSide *side : {&LowerNorm, &UpperNorm}) {
        ini.WriteInteger(section, NormKey(prefix, u" Норма ", *side), s.*side->Apply);
        WriteNorm(row, ini, section, prefix, *side, names);
    }
    ini.WriteInteger(section, prefix + QStringLiteral(" Весовой коэффициент"), s.ComputeMargin);
    ini.WriteFloat(section, prefix + QStringLiteral(" Текущий масштаб по Y: минимум"), RoundFrequency(s.YScaleMin));
    ini.WriteFloat(section, prefix + QStringLiteral(" Текущий масштаб по Y: максимум"), RoundFrequency(s.YScaleMax));
    ini.WriteInteger(section, prefix + QStringLiteral(" Цвет параметра во временной диаграмме"), s.Colour);
}

void ReadParamRow(ParamDescriptor &row, TCustomIniFile &ini, const QString &tableName, const ConfigFileNames &names) {
    const QString section = SectionOf(tableName);
    const QString prefix = PrefixOf(row);
    ParamSettings &s = row.Settings;
    ReadFlag(ini, section, prefix + QStringLiteral(" Анализ параметра"), s.Analyse);
    ReadFlag(ini, section, prefix + QStringLiteral(" Протокол"), s.Protocol);
    ReadFlag(ini, section, prefix + QStringLiteral(" Временная диаграмма"), s.TimeDiagram);
    ReadFlag(ini, section, prefix + QStringLiteral(" Текстовое окно"), s.TextWindow);
    for (const NormSide *side : {&LowerNorm, &UpperNorm}) {
        ReadFlag(ini, section, NormKey(prefix, u" Норма ", *side), s.*side->Apply);
        ReadNorm(row, ini, tableName, prefix, *side, names);
    }
    ReadFlag(ini, section, prefix + QStringLiteral(" Весовой коэффициент"), s.ComputeMargin);
    s.YScaleMin = ReadFinite(ini, section, prefix + QStringLiteral(" Текущий масштаб по Y: минимум"),
                             RoundFrequency(s.YScaleMin));
    s.YScaleMax = ReadFinite(ini, section, prefix + QStringLiteral(" Текущий масштаб по Y: максимум"),
                             RoundFrequency(s.YScaleMax));
    s.Colour = ini.ReadInteger(section, prefix + QStringLiteral(" Цвет параметра во временной диаграмме"), s.Colour);
}

QString LoadMaskTemplates(const ParamDescriptor &row, TCustomIniFile &ini, QStringList paths, int scale, int slot,
                          int which, const QString &tableName, const QString &prefix, const ConfigFileNames &names) {
    if (slot < 0 || slot >= MaskSlotCount || (which != MaskUpperSide && which != MaskLowerSide))
        return {};
    const NormSide &side = SideOf(which);
    PendingMaskArray[slot][which].reset();
    const QString section = SectionOf(tableName);
    for (int i = 0; i < paths.size(); ++i) {
        if (!LocateFile(paths[i], names.MaskDir, names.DirMaskFile))
            return {};
        ini.WriteString(section, TemplateKey(prefix, side, i + 1), paths[i]);
    }
    auto mask = std::make_unique<TMASK>();
    GetParamDefaultRange(mask->XMin, mask->XMax, slot);
    FindParamDescriptor(mask->YMin, mask->YMax, mask->CodeSteps, mask->WireBytes, slot);
    for (const QString &path : paths) {
        mask->Names.append(QFileInfo(path).fileName());
        mask->Paths.append(path);
    }
    mask->Upper = which == MaskUpperSide ? 1 : 0;
    mask->Scale = int16_t(std::clamp(scale, MinMaskScale, MaxMaskScale));
    ConfigTemplateChooser chooser(names);
    mask->LoadFiles(chooser);
    mask->Active = row.Settings.Analyse && row.Settings.*side.Apply && row.*side.Allowed ? 1 : 0;
    // The text names the files the mask holds: a template left out as damaged is not named.
    QString text;
    for (const QString &name : mask->Names)
        text += name + u';';
    PendingMaskArray[slot][which] = std::move(mask);
    return text;
}

void WriteParamTables(TCustomIniFile &ini, const ConfigFileNames &names) {
    for (const ConfigParamTable &table : ConfigParamTables) {
        const ParameterTable rows = ParameterTableOf(table.SignalKind);
        for (int32_t i = 0; i < rows.RowCount; ++i)
            WriteParamRow(rows.Rows[i], ini, QString::fromUtf16(table.Name), names);
    }
}

void ReadParamTables(TCustomIniFile &ini, const ConfigFileNames &names) {
    for (const ConfigParamTable &table : ConfigParamTables) {
        const ParameterTable rows = ParameterTableOf(table.SignalKind);
        for (int32_t i = 0; i < rows.RowCount; ++i)
            ReadParamRow(rows.Rows[i], ini, QString::fromUtf16(table.Name), names);
    }
}

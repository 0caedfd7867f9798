#include "views/GraphWindowKeys.h"

#include "platform/IniFile.h"

namespace {

QString Indexed(const char *key, int n) {
    return QString::fromLatin1(key) + QString::number(n);
}

QString CursorKey(int n, const char *suffix) {
    return QStringLiteral("CurGraph") + QString::number(n) + QString::fromLatin1(suffix);
}

} // namespace

void SaveGraphWindowKeys(TCustomIniFile &ini, const QString &section, const TGraphWindowKeys &keys) {
    ini.WriteInteger(section, QStringLiteral("Chart_BackColor"), keys.ChartBackColor);
    ini.WriteInteger(section, QStringLiteral("Series_Color"), keys.SeriesColor);
    ini.WriteInteger(section, QStringLiteral("F0_FN_Clr"), keys.BandColour);
    ini.WriteInteger(section, QStringLiteral("Signal_Clr"), keys.ToneColour);
    ini.WriteInteger(section, QStringLiteral("Line_Width"), keys.LineWidth);
    ini.WriteInteger(section, QStringLiteral("Marks_Style"), keys.MarksStyle);
    ini.WriteInteger(section, QStringLiteral("Marks_Visible"), keys.MarksVisible);
    ini.WriteInteger(section, QStringLiteral("Point_Visible"), keys.PointVisible);
    ini.WriteInteger(section, QStringLiteral("Point_Style"), keys.PointStyle);
    ini.WriteFloat(section, QStringLiteral("LeftAxis_Maximum"), keys.LeftMax);
    ini.WriteFloat(section, QStringLiteral("LeftAxis_Minimum"), keys.LeftMin);
    ini.WriteFloat(section, QStringLiteral("BottomAxis_Maximum"), keys.BottomMax);
    ini.WriteFloat(section, QStringLiteral("BottomAxis_Minimum"), keys.BottomMin);
    for (int n = 0; n < 2; ++n) {
        ini.WriteInteger(section, CursorKey(n, "_Visible"), keys.CursorVisible[n] ? 1 : 0);
        ini.WriteInteger(section, Indexed("FCursColor", n), keys.CursorColours[n]);
        ini.WriteInteger(section, Indexed("FMaskColor", n), keys.MaskColours[n]);
        ini.WriteInteger(section, Indexed("FMaskWidth", n), keys.MaskWidths[n]);
        ini.WriteInteger(section, Indexed("FMaskisLine", n), keys.MaskIsLine[n]);
    }
}

void LoadGraphWindowKeys(TCustomIniFile &ini, const QString &section, TGraphWindowKeys &keys) {
    const auto readInt = [&](const QString &key, int32_t &value) { value = ini.ReadInteger(section, key, value); };
    const auto readFloat = [&](const QString &key, double &value) { value = ini.ReadFloat(section, key, value); };
    readInt(QStringLiteral("Chart_BackColor"), keys.ChartBackColor);
    readInt(QStringLiteral("Series_Color"), keys.SeriesColor);
    readInt(QStringLiteral("F0_FN_Clr"), keys.BandColour);
    readInt(QStringLiteral("Signal_Clr"), keys.ToneColour);
    readInt(QStringLiteral("Line_Width"), keys.LineWidth);
    readInt(QStringLiteral("Marks_Style"), keys.MarksStyle);
    readInt(QStringLiteral("Marks_Visible"), keys.MarksVisible);
    readInt(QStringLiteral("Point_Visible"), keys.PointVisible);
    readInt(QStringLiteral("Point_Style"), keys.PointStyle);
    readFloat(QStringLiteral("LeftAxis_Maximum"), keys.LeftMax);
    readFloat(QStringLiteral("LeftAxis_Minimum"), keys.LeftMin);
    readFloat(QStringLiteral("BottomAxis_Maximum"), keys.BottomMax);
    readFloat(QStringLiteral("BottomAxis_Minimum"), keys.BottomMin);
    for (int n = 0; n < 2; ++n) {
        readInt(Indexed("FCursColor", n), keys.CursorColours[n]);
        readInt(Indexed("FMaskColor", n), keys.MaskColours[n]);
        readInt(Indexed("FMaskWidth", n), keys.MaskWidths[n]);
        readInt(Indexed("FMaskisLine", n), keys.MaskIsLine[n]);
        keys.CursorVisible[n] = ini.ReadInteger(section, CursorKey(n, "_Visible"), 0) != 0;
    }
}

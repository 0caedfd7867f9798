#include "views/GraphWindowKeys.h"

#include "platform/IniFile.h"

namespace {

// The keys in the order they are written; the cursor and mask pairs follow, key by key for cursor 0 then 1.
struct IntegerKey {
    const char *name;
    int32_t TGraphWindowKeys::*field;
};
constexpr IntegerKey IntegerKeys[] = {
    {"Chart_BackColor", &TGraphWindowKeys::ChartBackColor}, {"Series_Color", &TGraphWindowKeys::SeriesColor},
    {"F0_FN_Clr", &TGraphWindowKeys::BandColour},           {"Signal_Clr", &TGraphWindowKeys::ToneColour},
    {"Line_Width", &TGraphWindowKeys::LineWidth},           {"Marks_Style", &TGraphWindowKeys::MarksStyle},
    {"Marks_Visible", &TGraphWindowKeys::MarksVisible},     {"Point_Visible", &TGraphWindowKeys::PointVisible},
    {"Point_Style", &TGraphWindowKeys::PointStyle},
};

struct FloatKey {
    const char *name;
    double TGraphWindowKeys::*field;
};
constexpr FloatKey FloatKeys[] = {
    {"LeftAxis_Maximum", &TGraphWindowKeys::LeftMax},
    {"LeftAxis_Minimum", &TGraphWindowKeys::LeftMin},
    {"BottomAxis_Maximum", &TGraphWindowKeys::BottomMax},
    {"BottomAxis_Minimum", &TGraphWindowKeys::BottomMin},
};

// Keys of the two cursors and their masks: the name with the cursor number 0 or 1 appended.
struct PairKey {
    const char *name;
    int32_t (TGraphWindowKeys::*field)[2];
};
constexpr PairKey PairKeys[] = {
    {"FCursColor", &TGraphWindowKeys::CursorColours},
    {"FMaskColor", &TGraphWindowKeys::MaskColours},
    {"FMaskWidth", &TGraphWindowKeys::MaskWidths},
    {"FMaskisLine", &TGraphWindowKeys::MaskIsLine},
};

QString Indexed(const char *key, int n) {
    return QString::fromLatin1(key) + QString::number(n);
}

QString CursorKey(int n, const char *name) {
    return QStringLiteral("CurGraph") + QString::number(n) + QLatin1Char('_') + QLatin1String(name);
}

QString CursorVisibleKey(int n) {
    return CursorKey(n, "Visible");
}

// The cursor keys in the order they are written, after "_Visible".
struct CursorIntegerKey {
    const char *name;
    int32_t TCursorKeys::*field;
};
struct CursorFloatKey {
    const char *name;
    double TCursorKeys::*field;
};
constexpr CursorIntegerKey CursorPixelKeys[] = {{"Pxs_x", &TCursorKeys::Pxs_x}, {"Pxs_y", &TCursorKeys::Pxs_y}};
constexpr CursorFloatKey CursorValueKeys[] = {{"Ps_x", &TCursorKeys::Ps_x}, {"Ps_y", &TCursorKeys::Ps_y}};
constexpr CursorIntegerKey CursorFlagKeys[] = {{"BindToSeries", &TCursorKeys::BindToSeries},
                                               {"BindToCursor1", &TCursorKeys::BindToCursor1},
                                               {"BindCursorToX", &TCursorKeys::BindCursorToX}};
constexpr const char *DeltaKey = "BindCursor_delta";
constexpr const char *ActiveKey = "ActiveCursor";
constexpr const char *SeriesKey = "BindSeries";

void SaveCursorPosition(TCustomIniFile &ini, const QString &section, int n, const TCursorKeys &keys) {
    for (const CursorIntegerKey &key : CursorPixelKeys)
        ini.WriteInteger(section, CursorKey(n, key.name), keys.*key.field);
    for (const CursorFloatKey &key : CursorValueKeys)
        ini.WriteFloat(section, CursorKey(n, key.name), keys.*key.field);
}

void SaveCursorKeys(TCustomIniFile &ini, const QString &section, int n, const TCursorKeys &keys) {
    SaveCursorPosition(ini, section, n, keys);
    for (const CursorIntegerKey &key : CursorFlagKeys)
        ini.WriteInteger(section, CursorKey(n, key.name), keys.*key.field);
    ini.WriteFloat(section, CursorKey(n, DeltaKey), keys.BindCursor_delta);
    ini.WriteInteger(section, CursorKey(n, ActiveKey), keys.ActiveCursor);
    ini.WriteString(section, CursorKey(n, SeriesKey), keys.BindSeries);
}

} // namespace

void SaveGraphWindowKeys(TCustomIniFile &ini, const QString &section, const TGraphWindowKeys &keys) {
    for (const IntegerKey &key : IntegerKeys)
        ini.WriteInteger(section, QString::fromLatin1(key.name), keys.*key.field);
    for (const FloatKey &key : FloatKeys)
        ini.WriteFloat(section, QString::fromLatin1(key.name), keys.*key.field);
    for (int n = 0; n < 2; ++n) {
        ini.WriteInteger(section, CursorVisibleKey(n), keys.CursorVisible[n] ? 1 : 0);
        if (keys.CursorVisible[n])
            SaveCursorKeys(ini, section, n, keys.Cursors[n]);
        for (const PairKey &key : PairKeys)
            ini.WriteInteger(section, Indexed(key.name, n), (keys.*key.field)[n]);
    }
}

void LoadGraphWindowKeys(TCustomIniFile &ini, const QString &section, TGraphWindowKeys &keys) {
    for (const IntegerKey &key : IntegerKeys) {
        int32_t &value = keys.*key.field;
        value = ini.ReadInteger(section, QString::fromLatin1(key.name), value);
    }
    for (const FloatKey &key : FloatKeys) {
        double &value = keys.*key.field;
        value = ini.ReadFloat(section, QString::fromLatin1(key.name), value);
    }
    for (int n = 0; n < 2; ++n) {
        for (const PairKey &key : PairKeys) {
            int32_t &value = (keys.*key.field)[n];
            value = ini.ReadInteger(section, Indexed(key.name, n), value);
        }
        keys.CursorVisible[n] = CursorKeysVisible(ini, section, n);
    }
}

void LoadCursorKeys(TCustomIniFile &ini, const QString &section, int n, TCursorKeys &keys) {
    for (const CursorIntegerKey &key : CursorPixelKeys)
        keys.*key.field = ini.ReadInteger(section, CursorKey(n, key.name), keys.*key.field);
    for (const CursorFloatKey &key : CursorValueKeys)
        keys.*key.field = ini.ReadFloat(section, CursorKey(n, key.name), keys.*key.field);
    for (const CursorIntegerKey &key : CursorFlagKeys)
        keys.*key.field = ini.ReadInteger(section, CursorKey(n, key.name), keys.*key.field) != 0 ? 1 : 0;
    keys.BindCursor_delta = ini.ReadFloat(section, CursorKey(n, DeltaKey), keys.BindCursor_delta);
    keys.ActiveCursor = ini.ReadInteger(section, CursorKey(n, ActiveKey), keys.ActiveCursor) != 0 ? 1 : 0;
    keys.BindSeries = ini.ReadString(section, CursorKey(n, SeriesKey), QString());
}

void SaveTimeDiagramCursorKeys(TCustomIniFile &ini, const QString &section, int n, const TCursorKeys *keys) {
    ini.WriteInteger(section, CursorVisibleKey(n), keys ? 1 : 0);
    if (!keys)
        return;
    SaveCursorPosition(ini, section, n, *keys);
    ini.WriteInteger(section, CursorKey(n, CursorFlagKeys[0].name), keys->BindToSeries);
    ini.WriteString(section, CursorKey(n, SeriesKey), keys->BindSeries);
}

bool CursorKeysVisible(TCustomIniFile &ini, const QString &section, int n) {
    return ini.ReadInteger(section, CursorVisibleKey(n), 0) != 0;
}

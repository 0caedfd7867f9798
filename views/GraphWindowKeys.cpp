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

QString CursorVisibleKey(int n) {
    return QStringLiteral("CurGraph") + QString::number(n) + QStringLiteral("_Visible");
}

} // namespace

void SaveGraphWindowKeys(TCustomIniFile &ini, const QString &section, const TGraphWindowKeys &keys) {
    for (const IntegerKey &key : IntegerKeys)
        ini.WriteInteger(section, QString::fromLatin1(key.name), keys.*key.field);
    for (const FloatKey &key : FloatKeys)
        ini.WriteFloat(section, QString::fromLatin1(key.name), keys.*key.field);
    for (int n = 0; n < 2; ++n) {
        ini.WriteInteger(section, CursorVisibleKey(n), keys.CursorVisible[n] ? 1 : 0);
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
        keys.CursorVisible[n] = ini.ReadInteger(section, CursorVisibleKey(n), 0) != 0;
    }
}

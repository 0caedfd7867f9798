#include "storage/LegacyLayout.h"

#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "storage/ConfigOptions.h"
#include "storage/ConfigOptionsSources.h"
#include "storage/LegacyLayoutBytes.h"

#include <QIODevice>

#include <algorithm>

namespace {

using Type = TLegacyValue::Type;

struct TypedKey {
    Type Kind;
    const char *Name; // "%1" stands for the cursor number or the series title
};

constexpr TypedKey GraphKeys[] = {
    {Type::Int, "Chart_BackColor"},      {Type::Int, "Series_Color"},       {Type::Int, "F0_FN_Clr"},
    {Type::Int, "Signal_Clr"},           {Type::Int, "Line_Width"},         {Type::Int, "Marks_Style"},
    {Type::Int, "Marks_Visible"},        {Type::Int, "Point_Visible"},      {Type::Int, "Point_Style"},
    {Type::Float, "LeftAxis_Maximum"},   {Type::Float, "LeftAxis_Minimum"}, {Type::Float, "BottomAxis_Maximum"},
    {Type::Float, "BottomAxis_Minimum"},
};
constexpr TypedKey GraphTableKeys[] = {{Type::Int, "Table1_Height"}, {Type::Int, "Table1_Width"}};
constexpr TypedKey CursorKeys[] = {
    {Type::Int, "CurGraph%1_Visible"},       {Type::Int, "CurGraph%1_Pxs_x"},  {Type::Int, "CurGraph%1_Pxs_y"},
    {Type::Float, "CurGraph%1_Ps_x"},        {Type::Float, "CurGraph%1_Ps_y"}, {Type::Int, "CurGraph%1_BindToSeries"},
    {Type::String, "CurGraph%1_BindSeries"}, {Type::Int, "FCursColor%1"},
};
constexpr TypedKey GraphMaskColourKey{Type::Int, "FMaskColor%1"};
constexpr TypedKey DiagramHeadKey{Type::Int, "Chart_BackColor"};
constexpr TypedKey DiagramSeriesKeys[] = {
    {Type::Int, "%1_Series_Color"},  {Type::Int, "%1_Line_Width"},    {Type::Int, "%1_Marks_Style"},
    {Type::Int, "%1_Marks_Visible"}, {Type::Int, "%1_Point_Visible"}, {Type::Int, "%1_Point_Style"},
};
constexpr TypedKey DiagramAxisKeys[] = {
    {Type::Float, "LeftAxis_Maximum"}, {Type::Float, "LeftAxis_Minimum"}, {Type::Float, "DTIME_SIGNAL"}};
constexpr TypedKey PageKey{Type::Int, "PgCtrl1_APgIdx"};

constexpr int32_t ResultTables = 2;
constexpr int32_t ResultTablesUpToV114 = 10;
constexpr int32_t ParamWindows = 7;
constexpr int32_t GraphKinds = 39;
constexpr int32_t TimeDiagrams = 13;
constexpr qsizetype BindingSize = 212;
constexpr qsizetype BindingUnusedSize = 4;
constexpr qsizetype BindingCaptionSize = 204;
// visible, eight positions, show command, flags and the value size.
constexpr qsizetype EntryHeadSize = 2 + 16 + 2 + 2 + 4;

// Byte-wise, as the version texts were always compared; the text ends at its first NUL.
bool NotNewerThan(QByteArrayView version, const char *threshold) {
    return version.compare(QByteArrayView(threshold)) <= 0;
}

bool GraphKindStored(int32_t kind, QByteArrayView version) {
    const bool laterKind = (kind >= 14 && kind <= 20) || kind == 37 || kind == 38;
    return !(laterKind && NotNewerThan(version, "V1.16"));
}

QString TextOf(const QByteArray &bytes) {
    const qsizetype end = bytes.indexOf('\0');
    return FromCp1251(end < 0 ? bytes : bytes.left(end));
}

// Reads one typed value from an entry's value bytes; false when they end first.
bool ReadValue(TByteCursor &values, const TypedKey &key, const QString &fill, TLegacyWindowEntry &entry) {
    TLegacyValue value;
    value.Kind = key.Kind;
    value.Key = QString::fromLatin1(key.Name);
    value.Key.replace(QStringLiteral("%1"), fill);
    bool read = false;
    switch (key.Kind) {
    case Type::Int:
        read = values.Int32(value.Int);
        break;
    case Type::Float:
        read = values.Double(value.Float);
        break;
    case Type::String: {
        QByteArray text;
        read = values.CountedBytes(text);
        value.Text = TextOf(text);
        break;
    }
    }
    if (read)
        entry.Values.push_back(std::move(value));
    return read;
}

template <std::size_t N>
bool ReadValues(TByteCursor &values, const TypedKey (&keys)[N], const QString &fill, TLegacyWindowEntry &entry) {
    return std::all_of(std::begin(keys), std::end(keys),
                       [&](const TypedKey &key) { return ReadValue(values, key, fill, entry); });
}

bool ReadGraphValues(TByteCursor &values, QByteArrayView version, TLegacyWindowEntry &entry) {
    if (!ReadValues(values, GraphKeys, {}, entry))
        return false;
    if (!NotNewerThan(version, "V1.07") && !ReadValues(values, GraphTableKeys, {}, entry))
        return false;
    for (int n = 0; n < 2; ++n)
        if (!ReadValues(values, CursorKeys, QString::number(n), entry) ||
            !ReadValue(values, GraphMaskColourKey, QString::number(n), entry))
            return false;
    return true;
}

bool ReadDiagramValues(TByteCursor &values, const QStringList &titles, TLegacyWindowEntry &entry) {
    if (!ReadValue(values, DiagramHeadKey, {}, entry))
        return false;
    for (const QString &title : titles)
        if (!ReadValues(values, DiagramSeriesKeys, title, entry))
            return false;
    if (!ReadValues(values, DiagramAxisKeys, {}, entry))
        return false;
    for (int n = 0; n < 2; ++n)
        if (!ReadValues(values, CursorKeys, QString::number(n), entry))
            return false;
    return true;
}

class LayoutParser {
public:
    LayoutParser(QByteArrayView bytes, QByteArrayView version) : bytes_(bytes), version_(version) {}

    TLegacyLayout Parse() {
        TProgramSettings settings;
        if (!bytes_.Raw(&settings, sizeof settings))
            return std::move(layout_);
        layout_.Settings = settings;
        if (ReadBindings() && ReadWindows())
            ReadActiveTag();
        return std::move(layout_);
    }

private:
    bool ReadBindings() {
        int16_t count = 0;
        if (!bytes_.Int16(count) || count < 0 || count * BindingSize > bytes_.Left())
            return false;
        for (int i = 0; i < count; ++i) {
            QByteArray unused, caption;
            TLegacySeriesBinding binding;
            bytes_.Bytes(BindingUnusedSize, unused);
            bytes_.Bytes(BindingCaptionSize, caption);
            bytes_.Int16(binding.Code);
            bytes_.Int16(binding.Point);
            binding.Caption = TextOf(caption);
            layout_.Bindings.push_back(binding);
        }
        return true;
    }

    // The window's head and its value bytes, then the values of its kind.
    template <typename Values> bool ReadEntry(TLegacyWindowEntry entry, Values readValues) {
        int32_t size = 0;
        bool read = bytes_.Int16(entry.Visible);
        for (int16_t &v : entry.Normal)
            read = read && bytes_.Int16(v);
        for (int16_t &v : entry.MinMax)
            read = read && bytes_.Int16(v);
        QByteArray values;
        if (!(read && bytes_.UInt16(entry.ShowCmd) && bytes_.UInt16(entry.Flags) && bytes_.Int32(size) &&
              bytes_.Bytes(size, values)))
            return false;
        TByteCursor cursor(values);
        readValues(cursor, entry); // values cut short keep what they held
        layout_.Windows.push_back(std::move(entry));
        return true;
    }

    bool ReadWindows() {
        const auto none = [](TByteCursor &, TLegacyWindowEntry &) {};
        const auto page = [](TByteCursor &values, TLegacyWindowEntry &entry) { ReadValue(values, PageKey, {}, entry); };
        const int32_t resultTables = NotNewerThan(version_, "V1.14") ? ResultTablesUpToV114 : ResultTables;
        for (int32_t i = 0; i < resultTables; ++i) {
            TLegacyWindowEntry entry;
            entry.Window = {ConfigWindowKind::ResultTable, i};
            entry.Used = i < ResultTables;
            if (!ReadEntry(entry, none))
                return false;
        }
        for (int32_t i = 0; i < ParamWindows; ++i)
            if (!ReadEntry(Entry(ConfigWindowKind::ParamWindow, i), none))
                return false;
        if (!ReadEntry(Entry(ConfigWindowKind::SettingsWindow, 0), page) ||
            !ReadEntry(Entry(ConfigWindowKind::ProgramSettings, 0), page))
            return false;
        for (int32_t kind = 0; kind < GraphKinds; ++kind)
            if (GraphKindStored(kind, version_) && !ReadEntry(Entry(ConfigWindowKind::Graph, kind),
                                                              [this](TByteCursor &values, TLegacyWindowEntry &entry) {
                                                                  ReadGraphValues(values, version_, entry);
                                                              }))
                return false;
        return ReadValueWindows() && ReadTimeDiagrams();
    }

    bool ReadValueWindows() {
        int32_t count = 0;
        // Each entry takes at least its name length, four values and a window head.
        if (!bytes_.Int32(count) || count < 0 || count > bytes_.Left() / (4 + 8 + EntryHeadSize))
            return false;
        for (int32_t i = 0; i < count; ++i) {
            TLegacyWindowEntry entry = Entry(ConfigWindowKind::TextWindow, i);
            QByteArray caption;
            if (!bytes_.CountedBytes(caption))
                return false;
            entry.Section = TextOf(caption);
            for (int16_t &v : entry.PointBinding)
                if (!bytes_.Int16(v))
                    return false;
            if (!ReadEntry(entry, [](TByteCursor &, TLegacyWindowEntry &) {}))
                return false;
        }
        return true;
    }

    bool ReadTimeDiagrams() {
        for (int32_t unit = 0; unit < TimeDiagrams; ++unit) {
            int32_t count = 0;
            if (!bytes_.Int32(count) || count < 0 || count > bytes_.Left() / 4)
                return false;
            QStringList titles;
            for (int32_t i = 0; i < count; ++i) {
                QByteArray title;
                if (!bytes_.CountedBytes(title))
                    return false;
                titles << TextOf(title);
            }
            if (!ReadEntry(Entry(ConfigWindowKind::TimeDiagram, unit),
                           [&titles](TByteCursor &values, TLegacyWindowEntry &entry) {
                               ReadDiagramValues(values, titles, entry);
                           }))
                return false;
        }
        return true;
    }

    void ReadActiveTag() {
        QByteArray active;
        int32_t tag = 0;
        if (bytes_.CountedBytes(active) && TByteCursor(active).Int32(tag))
            layout_.ActiveTag = tag;
    }

    static TLegacyWindowEntry Entry(ConfigWindowKind kind, int32_t index) {
        TLegacyWindowEntry entry;
        entry.Window = {kind, index};
        return entry;
    }

    TByteCursor bytes_;
    QByteArrayView version_;
    TLegacyLayout layout_;
};

QString FourNumbers(const int16_t (&v)[4]) {
    return QStringLiteral("%1,%2,%3,%4").arg(v[0]).arg(v[1]).arg(v[2]).arg(v[3]);
}

QString SectionOf(const TLegacyWindowEntry &entry, TConfigWindowHost &host) {
    return entry.Window.Kind == ConfigWindowKind::TextWindow ? entry.Section : host.SectionName(entry.Window);
}

void WriteEntrySection(TCustomIniFile &r9ini, const QString &section, const TLegacyWindowEntry &entry) {
    r9ini.WriteString(section, QStringLiteral("NormPos"), FourNumbers(entry.Normal));
    r9ini.WriteString(section, QStringLiteral("MinMaxPos"), FourNumbers(entry.MinMax));
    r9ini.WriteInteger(section, QStringLiteral("ShowCmd"), entry.ShowCmd);
    r9ini.WriteInteger(section, QStringLiteral("Flags"), entry.Flags);
    for (const TLegacyValue &value : entry.Values) {
        switch (value.Kind) {
        case Type::Int:
            r9ini.WriteInteger(section, value.Key, value.Int);
            break;
        case Type::Float:
            r9ini.WriteFloat(section, value.Key, value.Float);
            break;
        case Type::String:
            r9ini.WriteString(section, value.Key, value.Text);
            break;
        }
    }
    RemoveGeometryKeys(r9ini, section);
}

void ShowOrCloseEntry(const TLegacyWindowEntry &entry, TConfigWindowHost &host) {
    if (entry.Window.Kind != ConfigWindowKind::TextWindow) {
        ShowOrCloseWindow(entry.Window, entry.Visible);
        return;
    }
    const int16_t *b = entry.PointBinding;
    // A window of a point needs the curve's graph kind; without it the window would be bound to nothing.
    if (b[1] >= 0 && b[2] >= 0)
        host.OpenPointValueWindow({entry.Section, b[0], b[1], b[2], b[3]});
    for (int32_t slot = 0; slot < ConfigValueWindowCount; ++slot) {
        const std::optional<TTextWindowEntry> open = host.TextWindow(slot);
        if (open && open->Caption == entry.Section)
            ShowOrCloseWindow({ConfigWindowKind::TextWindow, slot}, entry.Visible);
    }
}

} // namespace

TLegacyLayout ParseLegacyLayout(QByteArrayView bytes, QByteArrayView version) {
    const qsizetype end = version.indexOf('\0');
    return LayoutParser(bytes, end < 0 ? version : version.first(end)).Parse();
}

void ApplyLegacyLayout(const TLegacyLayout &layout) {
    if (layout.Settings) {
        const int16_t useRecorded = ProgramSettings.UseRecordedSettings;
        ProgramSettings = *layout.Settings;
        ProgramSettings.UseRecordedSettings = useRecorded;
        SetProgramPrecision(ProgramSettings.Precision);
    }
    for (const TLegacySeriesBinding &binding : layout.Bindings)
        BindSourceTimeSeries(binding.Caption, binding.Code, binding.Point, true);
    TConfigWindowHost *host = ConfigWindowHost();
    if (!host)
        return;
    for (const TLegacyWindowEntry &entry : layout.Windows) {
        if (!entry.Used)
            continue;
        TMemIniFile r9ini(host->IniFileName());
        WriteEntrySection(r9ini, SectionOf(entry, *host), entry);
        UpdateIniFile(r9ini);
        ShowOrCloseEntry(entry, *host);
    }
    if (layout.ActiveTag && *layout.ActiveTag != 0)
        host->BringForward(*layout.ActiveTag);
    // Windows closed above saved their placement on the way out; the sections stay as the file has them.
    TMemIniFile r9ini(host->IniFileName());
    for (const TLegacyWindowEntry &entry : layout.Windows)
        if (entry.Used)
            WriteEntrySection(r9ini, SectionOf(entry, *host), entry);
    UpdateIniFile(r9ini);
}

void ReadLegacyLayout(QIODevice &stream, QByteArrayView version) {
    const QByteArray rest = stream.readAll();
    ApplyLegacyLayout(ParseLegacyLayout(rest, version));
}

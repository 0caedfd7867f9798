#include "storage/ConfigParamKeys.h"

#include "ConfigFixture.h"

#include "platform/IniFile.h"

#include <cmath>
#include <memory>
#include <random>

namespace {

class ConfigParamKeysTest : public ConfigFixture {
protected:
    QString Section(const QString &table) const { return QStringLiteral("Настройка параметров ") + table; }
    static QString Prefix(const ParamDescriptor &row) { return QString::fromUtf8(row.Caption).remove(u'\n'); }

    QString Template(const QString &folder, const QString &name, const QByteArray &points) {
        return WriteFile(folder + name, points);
    }

    // A mask in force for the row's slot, combined from the given files.
    void PutMask(const ParamDescriptor &row, int side, const QStringList &paths, int16_t scale) {
        auto mask = std::make_unique<TMASK>();
        for (const QString &path : paths) {
            mask->Paths.append(path);
            mask->Names.append(QFileInfo(path).fileName());
        }
        mask->Scale = scale;
        MaskArray[row.MaskSlot][side] = std::move(mask);
    }

    const QByteArray pointsA = "== mask a\n10 -20\n100 -30\n";
    const QByteArray pointsB = "50 -25\n200 -35\n";
};

void Randomise(std::mt19937 &random, ParamSettings &s) {
    const auto flag = [&] { return uint8_t(std::uniform_int_distribution<int>(0, 1)(random)); };
    const auto value = [&] { return float(std::uniform_int_distribution<int>(-900000, 900000)(random) / 1000.0); };
    s.Analyse = flag();
    s.Protocol = flag();
    s.TimeDiagram = flag();
    s.TextWindow = flag();
    s.ApplyLower = flag();
    s.ApplyUpper = flag();
    s.ComputeMargin = flag();
    s.LowerNorm = value();
    s.UpperNorm = value();
    s.YScaleMin = value();
    s.YScaleMax = value();
    s.Colour = std::uniform_int_distribution<int32_t>(0, 0xFFFFFF)(random);
}

TEST_F(ConfigParamKeysTest, EveryRowReadsBackIntoDifferentLiveValues) {
    std::mt19937 random(11);
    std::vector<ParamSettings> written;
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i) {
            Randomise(random, table.Rows[i].Settings);
            written.push_back(table.Rows[i].Settings);
        }
    }
    TMemIniFile ini(ConfigName());
    WriteParamTables(ini, Names());
    ini.UpdateFile();

    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i)
            Randomise(random, table.Rows[i].Settings);
    }
    TMemIniFile read(ConfigName());
    ReadParamTables(read, Names());

    std::size_t at = 0;
    for (int32_t kind = FirstTableKind; kind <= LastTableKind; ++kind) {
        const ParameterTable table = ParameterTableOf(kind);
        for (int32_t i = 0; i < table.RowCount; ++i, ++at) {
            const ParamSettings &got = table.Rows[i].Settings;
            const ParamSettings &want = written[at];
            SCOPED_TRACE(testing::Message() << "kind " << kind << ", row " << i);
            EXPECT_EQ(got.Analyse, want.Analyse);
            EXPECT_EQ(got.Protocol, want.Protocol);
            EXPECT_EQ(got.TimeDiagram, want.TimeDiagram);
            EXPECT_EQ(got.TextWindow, want.TextWindow);
            EXPECT_EQ(got.ApplyLower, want.ApplyLower);
            EXPECT_EQ(got.ApplyUpper, want.ApplyUpper);
            EXPECT_EQ(got.ComputeMargin, want.ComputeMargin);
            EXPECT_EQ(got.YScaleMin, want.YScaleMin);
            EXPECT_EQ(got.YScaleMax, want.YScaleMax);
            EXPECT_EQ(got.Colour, want.Colour);
            if (table.Rows[i].TextNorms == 1) {
                // No mask in force was written as no template: the row gets an empty name entry.
                EXPECT_EQ(MaskNameAt(got.LowerMaskName), QString());
                EXPECT_EQ(MaskNameAt(got.UpperMaskName), QString());
            } else {
                EXPECT_EQ(got.LowerNorm, want.LowerNorm);
                EXPECT_EQ(got.UpperNorm, want.UpperNorm);
            }
        }
    }
    for (const auto &slot : PendingMaskArray)
        EXPECT_TRUE(!slot[0] && !slot[1]);
}

TEST_F(ConfigParamKeysTest, TemplatesInTheMaskFolderAreStoredRelativeAndBuildOneMask) {
    QString table;
    ParamDescriptor *row = MaskRow(&table);
    ASSERT_NE(row, nullptr);
    row->Settings.Analyse = 1;
    row->Settings.ApplyLower = 1;
    PutMask(*row, MaskLowerSide, {Template(maskDir, "a.9pf", pointsA), Template(maskDir, "b.9pf", pointsB)}, 80);
    {
        TMemIniFile ini(ConfigName());
        WriteParamRow(*row, ini, table, Names());
        ini.UpdateFile();
    }
    TMemIniFile ini(ConfigName());
    const QString section = Section(table), prefix = Prefix(*row);
    EXPECT_EQ(ini.ReadString(section, prefix + " Имя шаблона снизу #1", {}), "a.9pf");
    EXPECT_EQ(ini.ReadString(section, prefix + " Имя шаблона снизу #2", {}), "b.9pf");
    EXPECT_EQ(ini.ReadInteger(section, prefix + " Масштаб шаблона снизу", 0), 80);
    EXPECT_EQ(ini.ReadInteger(section, prefix + " Количество шаблонов снизу", -1), 2);
    EXPECT_FALSE(ini.ValueExists(section, prefix + " Значение нормы снизу"));
    // The side without a mask: the bare name key, empty, and no template.
    EXPECT_TRUE(ini.ValueExists(section, prefix + " Имя шаблона сверху"));
    EXPECT_EQ(ini.ReadString(section, prefix + " Имя шаблона сверху", QStringLiteral("x")), QString());
    EXPECT_EQ(ini.ReadInteger(section, prefix + " Количество шаблонов сверху", -1), 0);

    FreeAllMasks();
    row->Settings.LowerMaskName = -1;
    ReadParamRow(*row, ini, table, Names());
    const TMASK *mask = PendingMaskArray[row->MaskSlot][MaskLowerSide].get();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->Names, QStringList({"a.9pf", "b.9pf"}));
    EXPECT_EQ(mask->Paths, QStringList({maskDir + "a.9pf", maskDir + "b.9pf"}));
    EXPECT_EQ(mask->Scale, 80);
    EXPECT_EQ(mask->Upper, 0);
    EXPECT_EQ(mask->Active, row->LowerNormAllowed ? 1 : 0);
    EXPECT_FALSE(mask->Points.empty());
    EXPECT_EQ(MaskNameAt(row->Settings.LowerMaskName), "a.9pf;b.9pf;");
    EXPECT_EQ(PendingMaskArray[row->MaskSlot][MaskUpperSide], nullptr);
    EXPECT_EQ(MaskArray[row->MaskSlot][MaskLowerSide], nullptr) << "the masks in force change only at the swap";
    EXPECT_TRUE(boxes.empty());
}

TEST_F(ConfigParamKeysTest, ATemplateWhoseDriveIsGoneIsTakenFromTheLastMaskFolder) {
    QString table;
    ParamDescriptor *row = MaskRow(&table);
    ASSERT_NE(row, nullptr);
    const QString found = Template(dirMaskFile, "c.9pf", pointsA);
    const QString section = Section(table), prefix = Prefix(*row);
    TMemIniFile ini(ConfigName());
    ini.WriteString(section, prefix + " Количество шаблонов сверху", "1");
    ini.WriteString(section, prefix + " Имя шаблона сверху #1", "Q:\\gone\\c.9pf");
    ReadParamRow(*row, ini, table, Names());
    const TMASK *mask = PendingMaskArray[row->MaskSlot][MaskUpperSide].get();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->Paths, QStringList{found});
    EXPECT_EQ(mask->Scale, 100) << "the default scale";
    EXPECT_EQ(mask->Upper, 1);
    EXPECT_EQ(ini.ReadString(section, prefix + " Имя шаблона сверху #1", {}), found);
    EXPECT_EQ(MaskNameAt(row->Settings.UpperMaskName), "c.9pf;");
}

// Files written on the original platform name their sub-folders with backslashes.
TEST_F(ConfigParamKeysTest, ATemplateInASubFolderOfTheMaskFolderIsFoundWithBackslashes) {
    QString table;
    ParamDescriptor *row = MaskRow(&table);
    ASSERT_NE(row, nullptr);
    ASSERT_TRUE(QDir(maskDir).mkpath(QStringLiteral("sub")));
    Template(maskDir, "sub/d.9pf", pointsB);
    TMemIniFile ini(ConfigName());
    ini.WriteString(Section(table), Prefix(*row) + " Количество шаблонов снизу", "1");
    ini.WriteString(Section(table), Prefix(*row) + " Имя шаблона снизу #1", "sub\\d.9pf");
    ReadParamRow(*row, ini, table, Names());
    const TMASK *mask = PendingMaskArray[row->MaskSlot][MaskLowerSide].get();
    ASSERT_NE(mask, nullptr);
    EXPECT_EQ(mask->Paths, QStringList{maskDir + "sub/d.9pf"});
    EXPECT_FALSE(mask->Points.empty());
    EXPECT_EQ(fileDialogs, 0);
}

TEST_F(ConfigParamKeysTest, ATemplateNotFoundBuildsNoMaskAndEndsABatch) {
    QString table;
    ParamDescriptor *row = MaskRow(&table);
    ASSERT_NE(row, nullptr);
    const QString section = Section(table), prefix = Prefix(*row);
    std::vector<int> codes;
    for (const bool batch : {false, true}) {
        SCOPED_TRACE(batch ? "batch" : "interactive");
        if (batch)
            SetBatchMessageSink([&codes](const MessageRequest &request) {
                codes.push_back(request.batchCode);
                return int(IdOk);
            });
        FreeAllMasks();
        TMemIniFile ini(ConfigName());
        ini.WriteString(section, prefix + " Количество шаблонов снизу", "1");
        ini.WriteString(section, prefix + " Имя шаблона снизу #1", "missing.9pf");
        row->Settings.LowerMaskName = -1;
        ReadParamRow(*row, ini, table, Names());
        EXPECT_EQ(PendingMaskArray[row->MaskSlot][MaskLowerSide], nullptr);
        EXPECT_EQ(MaskNameAt(row->Settings.LowerMaskName), QString());
        EXPECT_GE(row->Settings.LowerMaskName, 0);
    }
    EXPECT_EQ(fileDialogs, 1) << "the user is asked only outside a batch";
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(codes, std::vector<int>{-5});
}

TEST_F(ConfigParamKeysTest, KeysJoinTheCaptionLinesWithoutABlank) {
    QString table;
    ParamDescriptor *row = FindRow([](const ParamDescriptor &r) { return r.TextNorms != 1; }, &table);
    ASSERT_NE(row, nullptr);
    row->Caption = "Сигнал,\nдБм0\n";
    TMemIniFile ini(ConfigName());
    WriteParamRow(*row, ini, table, Names());
    const QStringList keys = ini.ReadSection(Section(table));
    ASSERT_EQ(keys.size(), 12);
    EXPECT_EQ(keys.first(), "Сигнал,дБм0 Анализ параметра");
    for (const QString &key : keys)
        EXPECT_TRUE(key.startsWith("Сигнал,дБм0 ")) << key.toStdString();
}

TEST_F(ConfigParamKeysTest, ANormValueKeepsTheDecimalsOfTheMaximumFrequency) {
    QString table;
    ParamDescriptor *row = FindRow([](const ParamDescriptor &r) { return r.TextNorms != 1; }, &table);
    ASSERT_NE(row, nullptr);
    row->Settings.LowerNorm = 1.23456789f;
    const struct {
        float maxFrequency;
        const char *text;
    } cases[] = {{2048, "1.235"}, {500, "1.2346"}, {50, "1.23457"}, {5, "1.234568"}};
    for (const auto &c : cases) {
        live.MaxFrequency = c.maxFrequency;
        TMemIniFile ini(ConfigName());
        WriteParamRow(*row, ini, table, Names());
        EXPECT_EQ(ini.ReadString(Section(table), Prefix(*row) + " Значение нормы снизу", {}), c.text) << c.maxFrequency;
    }
}

// Damaged values are not taken; a count cannot make the reader walk billions of keys.
TEST_F(ConfigParamKeysTest, DamagedValuesKeepSaneSettingsAndBuildNoStrayMask) {
    QString table;
    ParamDescriptor *plain = FindRow([](const ParamDescriptor &r) { return r.TextNorms != 1; }, &table);
    ASSERT_NE(plain, nullptr);
    const QString section = Section(table), prefix = Prefix(*plain);
    plain->Settings.LowerNorm = 7.5f;
    plain->Settings.YScaleMax = 30;
    const struct {
        const char *key;
        const char *value;
        float lowerNorm;
        float yMax;
        uint8_t analyse;
    } cases[] = {
        {" Значение нормы снизу", "nan", 7.5f, 30, 0},
        {" Значение нормы снизу", "-inf", 7.5f, 30, 0},
        {" Значение нормы снизу", "1e999", 7.5f, 30, 0},
        {" Значение нормы снизу", "1,5", 7.5f, 30, 0},
        {" Текущий масштаб по Y: максимум", "1e40", 7.5f, 30, 0},
        {" Анализ параметра", "300", 7.5f, 30, 44},
        {" Анализ параметра", "x", 7.5f, 30, 0},
    };
    for (const auto &c : cases) {
        TMemIniFile ini(ConfigName());
        ini.WriteString(section, prefix + c.key, c.value);
        ReadParamRow(*plain, ini, table, Names());
        EXPECT_EQ(plain->Settings.LowerNorm, c.lowerNorm) << c.key << c.value;
        EXPECT_EQ(plain->Settings.YScaleMax, c.yMax) << c.key << c.value;
        EXPECT_EQ(plain->Settings.Analyse, c.analyse) << c.key << c.value;
    }

    ParamDescriptor *row = MaskRow(&table);
    ASSERT_NE(row, nullptr);
    const QString maskSection = Section(table), maskPrefix = Prefix(*row);
    Template(maskDir, "a.9pf", pointsA);
    const struct {
        const char *count;
        const char *scale;
        int8_t slot;
        bool built;
        int16_t wantScale;
    } masks[] = {
        {"2147483647", "100", row->MaskSlot, false, 0},
        {"-3", "100", row->MaskSlot, false, 0},
        {"1", "0", row->MaskSlot, true, 1},
        {"1", "100000", row->MaskSlot, true, 200},
        {"1", "-20", row->MaskSlot, true, 1},
        {"1", "100", -1, false, 0},
    };
    const int8_t slot = row->MaskSlot;
    for (const auto &m : masks) {
        SCOPED_TRACE(testing::Message() << m.count << " " << m.scale << " slot " << int(m.slot));
        FreeAllMasks();
        row->MaskSlot = m.slot;
        TMemIniFile ini(ConfigName());
        ini.WriteString(maskSection, maskPrefix + " Количество шаблонов снизу", m.count);
        ini.WriteString(maskSection, maskPrefix + " Масштаб шаблона снизу", m.scale);
        ini.WriteString(maskSection, maskPrefix + " Имя шаблона снизу #1", "a.9pf");
        ReadParamRow(*row, ini, table, Names());
        row->MaskSlot = slot;
        const TMASK *mask = PendingMaskArray[slot][MaskLowerSide].get();
        EXPECT_EQ(mask != nullptr, m.built);
        if (mask && m.built)
            EXPECT_EQ(mask->Scale, m.wantScale);
        int pending = 0;
        for (const auto &entry : PendingMaskArray)
            pending += (entry[0] != nullptr) + (entry[1] != nullptr);
        EXPECT_EQ(pending, m.built ? 1 : 0);
        EXPECT_EQ(MaskNameAt(row->Settings.LowerMaskName), m.built ? QStringLiteral("a.9pf;") : QString());
    }
}

} // namespace

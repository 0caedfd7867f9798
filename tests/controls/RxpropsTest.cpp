#include "controls/Rxprops.h"
#include "controls/Placemnt.h"
#include "platform/IniFile.h"
#include "support/TempProgramDir.h"

#include <QFrame>
#include <QMap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

// Published properties of the kinds the store knows, on one object.
class Sample : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(qlonglong Big MEMBER Big)
    Q_PROPERTY(bool Enabled MEMBER Enabled)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(float Gain MEMBER Gain)
    Q_PROPERTY(QChar Letter MEMBER Letter)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(QFrame::Shape Shape MEMBER Shape)
    Q_PROPERTY(Qt::Alignment Alignment MEMBER Alignment)
    Q_PROPERTY(QObject *Partner MEMBER Partner)
public:
    int Count = 0;
    qlonglong Big = 0;
    bool Enabled = false;
    double Ratio = 0;
    float Gain = 0;
    QChar Letter;
    QString Caption;
    QFrame::Shape Shape = QFrame::NoFrame;
    Qt::Alignment Alignment;
    QObject *Partner = nullptr;
};

// A property storage over a plain map of "section/key" texts.
struct MapStorage {
    explicit MapStorage(QObject *object) {
        storage.AObject = object;
        storage.Section = QStringLiteral("S");
        storage.OnReadString = [this](const QString &section, const QString &key, const QString &def) {
            return values.value(section + u'/' + key, def);
        };
        storage.OnWriteString = [this](const QString &section, const QString &key, const QString &value) {
            values[section + u'/' + key] = value;
        };
        storage.OnEraseSection = [this](const QString &section) {
            for (const QString &key : values.keys())
                if (key.startsWith(section + u'/'))
                    values.remove(key);
        };
    }
    TPropsStorage storage;
    QMap<QString, QString> values;
};

TEST(PropsStorage, EachKindIsWrittenAsItsText) {
    Sample sample;
    sample.Count = -12;
    sample.Big = 5000000000LL;
    sample.Enabled = true;
    sample.Ratio = 0.1;
    sample.Gain = 1e20f;
    sample.Letter = u'Ж';
    sample.Caption = QStringLiteral("  Канал 1  ");
    sample.Shape = QFrame::Panel;
    sample.Alignment = Qt::AlignVCenter | Qt::AlignLeft;
    MapStorage map(&sample);
    map.storage.StoreProperties(
        {"Count", "Big", "Enabled", "Ratio", "Gain", "Letter", "Caption", "Shape", "Alignment", "Partner", "NoSuch"});
    const QMap<QString, QString> expected = {
        {"S/Count", "-12"},       {"S/Big", "5000000000"}, {"S/Enabled", "True"},
        {"S/Ratio", "0.1"},       {"S/Gain", "1E20"},      {"S/Letter", "Ж"},
        {"S/Caption", "Канал 1"}, {"S/Shape", "Panel"},    {"S/Alignment", "[AlignLeft,AlignVCenter]"},
        {"S/Partner", "(null)"},
    };
    EXPECT_EQ(map.values, expected);
}

TEST(PropsStorage, TextsReadBackOrLeaveThePropertyAsItIs) {
    struct Case {
        const char *name;
        const char *text; // nullptr: the key is absent
        QVariant expected;
    };
    const Case cases[] = {
        {"Count", "42", 42},
        {"Count", "letters", 0},
        {"Count", nullptr, 7},
        {"Big", "x", 0},
        {"Enabled", "true", true},
        {"Enabled", "FALSE", false},
        {"Enabled", "maybe", true},
        {"Ratio", "2.5", 2.5},
        {"Ratio", "2,5", 1.5},
        {"Shape", "box", int(QFrame::Box)},
        {"Shape", "Oval", int(QFrame::Panel)},
        {"Letter", "", QChar(u'q')},
        {"Letter", "xyz", QChar(u'x')},
        {"Caption", "  padded  ", QStringLiteral("padded")},
        {"Alignment", "AlignRight, AlignTop", int(Qt::AlignRight | Qt::AlignTop)},
        {"Alignment", "[AlignRight AlignTop NoSuchFlag]", int(Qt::AlignRight | Qt::AlignTop)},
    };
    for (const Case &c : cases) {
        Sample sample;
        sample.Count = 7;
        sample.Big = 9;
        sample.Enabled = true;
        sample.Ratio = 1.5;
        sample.Shape = QFrame::Panel;
        sample.Letter = u'q';
        sample.Alignment = Qt::AlignLeft;
        MapStorage map(&sample);
        if (c.text)
            map.values[QStringLiteral("S/") + QString::fromLatin1(c.name)] = QString::fromUtf8(c.text);
        map.storage.LoadProperties({QString::fromLatin1(c.name)});
        QVariant value = sample.property(c.name);
        if (c.expected.typeId() == QMetaType::Int)
            value = value.toInt();
        EXPECT_EQ(value, c.expected) << c.name << " = " << (c.text ? c.text : "(absent)");
    }
}

TEST(PropsStorage, ComponentReferenceNoneIsWrittenAndReadAsNull) {
    QWidget form;
    auto *partner = new QObject(&form);
    partner->setObjectName(QStringLiteral("Timer1"));
    auto *sample = new Sample;
    sample->setParent(&form);
    sample->setObjectName(QStringLiteral("Sample1"));
    TStoredPropList list = {{QStringLiteral("Sample1.Partner"), sample}};

    MapStorage map(nullptr);
    map.values[QStringLiteral("S/Sample1_Partner")] = QStringLiteral("timer1");
    map.storage.LoadObjectsProps(&form, list);
    EXPECT_EQ(sample->Partner, partner);
    map.storage.StoreObjectsProps(&form, list);
    EXPECT_EQ(map.values.value(QStringLiteral("S/Sample1_Partner")), "Timer1");

    map.values[QStringLiteral("S/Sample1_Partner")] = QStringLiteral("(NULL)");
    map.storage.LoadObjectsProps(&form, list);
    EXPECT_EQ(sample->Partner, nullptr);
}

TEST(PropsStorage, EmptyStringListLeavesNoSubSectionAndKeepsTheLinesAtRestore) {
    QPlainTextEdit memo;
    MapStorage map(&memo);
    map.values[QStringLiteral("S.Lines/Count")] = QStringLiteral("5");
    map.storage.StoreProperties({"Lines"});
    EXPECT_TRUE(map.values.isEmpty());

    memo.setPlainText(QStringLiteral("one\ntwo"));
    map.storage.StoreProperties({"Lines"});
    EXPECT_EQ(map.values,
              (QMap<QString, QString>{{"S.Lines/Count", "2"}, {"S.Lines/Item0", "one"}, {"S.Lines/Item1", "two"}}));

    map.values.clear();
    memo.setPlainText(QStringLiteral("kept"));
    map.storage.LoadProperties({"Lines"});
    EXPECT_EQ(memo.toPlainText(), "kept");
}

TEST(StoredList, LinesAreResolvedCleanedAndRenamed) {
    QWidget form;
    auto *memo = new QWidget(&form);
    memo->setObjectName(QStringLiteral("Memo1"));
    TStoredPropList list;
    for (const char *line : {"Memo1.Width", "Missing.Width", "NoDot", ".Width", "Memo1. ", "memo1.Height"})
        list.push_back({QString::fromLatin1(line), nullptr});
    UpdateStoredList(&form, list, true);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].component, memo);
    EXPECT_EQ(list[1].component, memo);

    memo->setObjectName(QStringLiteral("Memo2"));
    UpdateStoredList(&form, list, false);
    EXPECT_EQ(list[0].line, "Memo2.Width");
    EXPECT_EQ(list[1].line, "Memo2.Height");

    delete memo;
    UpdateStoredList(&form, list, false);
    EXPECT_TRUE(list.empty());
}

TEST(FormStorage, OptionsSetAndActivePageGoThroughTheWindowsSection) {
    TempProgramDir dir;
    const QString iniName = dir.path(QStringLiteral("R9.ini"));
    QWidget form;
    auto *pages = new QTabWidget(&form);
    pages->setObjectName(QStringLiteral("PageControl1"));
    for (const char *name : {"TabSheet_Common", "TabSheet_Gen"}) {
        auto *page = new QWidget;
        page->setObjectName(QString::fromLatin1(name));
        pages->addTab(page, QString::fromLatin1(name));
    }
    auto *storage = new TFormStorage(&form);
    storage->setObjectName(QStringLiteral("FormStorage1"));
    storage->SetIniFileName(iniName);
    storage->SetIniSection(QStringLiteral("Настройки"));
    storage->SetActive(false);
    storage->SetStoredProps({"FormStorage1.Options", "PageControl1.ActivePage"});
    pages->setCurrentIndex(1);
    storage->SaveFormPlacement();

    TIniFile ini(iniName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Настройки"), QStringLiteral("FormStorage1_Options"), QString()),
              "[fpState,fpPosition]");
    EXPECT_EQ(ini.ReadString(QStringLiteral("Настройки"), QStringLiteral("PageControl1_ActivePage"), QString()),
              "TabSheet_Gen");

    ini.WriteString(QStringLiteral("Настройки"), QStringLiteral("FormStorage1_Options"),
                    QStringLiteral("fpState fpActiveControl"));
    pages->setCurrentIndex(0);
    storage->RestoreFormPlacement();
    EXPECT_EQ(storage->Options(), TFormPlacement::fpState | TFormPlacement::fpActiveControl);
    EXPECT_EQ(pages->currentIndex(), 1);
}

TEST(FormStorage, StoredValuesAreScrambledWithTheirKeyAndNamesAreUnique) {
    TempProgramDir dir;
    const QString iniName = dir.path(QStringLiteral("R9.ini"));
    QWidget form;
    TFormStorage storage(&form);
    storage.SetIniFileName(iniName);
    storage.SetIniSection(QStringLiteral("Form"));
    storage.SetActive(false);
    TStoredValue *secret = storage.AddStoredValue(QStringLiteral("Password"));
    secret->KeyString = QStringLiteral("key");
    secret->Value = QStringLiteral("Привет");
    storage.AddStoredValue(QStringLiteral("Plain"))->Value = 12;
    EXPECT_THROW(storage.AddStoredValue(QStringLiteral("PASSWORD")), std::invalid_argument);
    storage.SaveFormPlacement();

    TIniFile ini(iniName);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Form"), QStringLiteral("Password"), QString()), "a4959189808b");
    EXPECT_EQ(ini.ReadString(QStringLiteral("Form"), QStringLiteral("Plain"), QString()), "12");
    secret->Value.clear();
    storage.RestoreFormPlacement();
    EXPECT_EQ(storage.StoredValue(QStringLiteral("password"))->Value.toString(), "Привет");
}

} // namespace

#include "RxpropsTest.moc"

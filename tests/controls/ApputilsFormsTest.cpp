#include "controls/Apputils.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>

namespace {

QStringList createdForms;

class TChildOne : public QWidget {
    Q_OBJECT
public:
    TChildOne() { createdForms.append(QStringLiteral("TChildOne")); }
};

class TChildTwo : public QWidget {
    Q_OBJECT
public:
    TChildTwo() { createdForms.append(QStringLiteral("TChildTwo")); }
};

TEST(ApputilsIniLines, LineBreaksBecomeBackslashN) {
    const QList<QPair<QString, QString>> cases{
        {QStringLiteral("one\r\ntwo"), QStringLiteral("one\\ntwo")},
        {QStringLiteral("one\ntwo"), QStringLiteral("one\\ntwo")},
        {QStringLiteral("one\rtwo"), QStringLiteral("one\\ntwo")},
        {QStringLiteral("one\n\rtwo"), QStringLiteral("one\\ntwo")},
        {QStringLiteral("one\n\ntwo"), QStringLiteral("one\\n\\ntwo")},
        {QString(), QString()},
    };
    for (const auto &[text, line] : cases)
        EXPECT_EQ(StrToIniStr(text), line) << text.toStdString();
    EXPECT_EQ(IniStrToStr(QStringLiteral("one\\ntwo")), QStringLiteral("one\r\ntwo"));
}

TEST(ApputilsIniLines, TheOutputMayOutgrowTheInputLimit) {
    const QString text = QString(4096, u'\n');
    EXPECT_EQ(StrToIniStr(text).size(), 8192);
    try {
        StrToIniStr(QString(4097, u'a'));
        FAIL() << "a text over 4096 characters was taken";
    } catch (const std::runtime_error &error) {
        EXPECT_STREQ(error.what(), "Line too long");
    }
    EXPECT_THROW(IniStrToStr(QString(4097, u'a')), std::runtime_error);
}

class MdiChildrenTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QMainWindow frame;
    QMdiArea *area = new QMdiArea;

    void SetUp() override {
        frame.setCentralWidget(area);
        RegisterFormClass(QStringLiteral("TChildOne"), [] { return new TChildOne; });
        RegisterFormClass(QStringLiteral("TChildTwo"), [] { return new TChildTwo; });
        createdForms.clear();
    }
    QString FileName() const { return folder.filePath(QStringLiteral("R9.ini")); }
};

TEST_F(MdiChildrenTest, RestoringCreatesFromTheLastToTheFirst) {
    area->addSubWindow(new TChildOne);
    area->addSubWindow(new TChildTwo);
    TIniFile ini(FileName());
    SaveMDIChildren(&frame, &ini);
    EXPECT_EQ(ini.ReadString(QStringLiteral("MDI Children"), QStringLiteral("Count"), {}), QStringLiteral("2"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("MDI Children"), QStringLiteral("Item0"), {}), QStringLiteral("TChildOne"));

    QMainWindow other;
    auto *otherArea = new QMdiArea;
    other.setCentralWidget(otherArea);
    ini.WriteString(QStringLiteral("MDI Children"), QStringLiteral("Item2"), QStringLiteral("TUnknown"));
    ini.WriteString(QStringLiteral("MDI Children"), QStringLiteral("Count"), QStringLiteral("3"));
    for (QMdiSubWindow *sub : area->subWindowList())
        delete sub;
    createdForms.clear();
    RestoreMDIChildren(&other, &ini);
    EXPECT_EQ(createdForms, QStringList({QStringLiteral("TChildTwo"), QStringLiteral("TChildOne")}));
    EXPECT_EQ(otherArea->subWindowList().size(), 2);
}

TEST_F(MdiChildrenTest, AFrameWithoutChildrenLeavesNoSection) {
    TIniFile ini(FileName());
    SaveMDIChildren(&frame, &ini);
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("MDI Children")));
    RestoreMDIChildren(&frame, &ini);
    EXPECT_TRUE(createdForms.isEmpty());
    QWidget notAFrame;
    EXPECT_THROW(SaveMDIChildren(&notAFrame, &ini), std::runtime_error);
    EXPECT_THROW(RestoreMDIChildren(nullptr, &ini), std::runtime_error);
}

TEST(ApputilsFiles, TheFirstFreeNumberedName) {
    QTemporaryDir folder;
    for (const char *name : {"File0.txt", "File1.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(GetUniqueFileNameInDir(folder.path(), QStringLiteral("File%d.txt")), QStringLiteral("File2.txt"));
    EXPECT_EQ(GetUniqueFileNameInDir(folder.path(), QStringLiteral("Other%d.txt")), QStringLiteral("Other0.txt"));
}

} // namespace

#include "ApputilsFormsTest.moc"

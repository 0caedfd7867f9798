#include "controls/Placemnt.h"
#include "controls/Apputils.h"
#include "controls/WindowPlacement.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "platform/MessageService.h"
#include "support/TempProgramDir.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QTabWidget>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include "support/Fixtures.h"

namespace {

const QString kSection = QStringLiteral("Главное окно R9");

QByteArray Fixture(const char *name) {
    QFile file(FixturePath(QStringLiteral("controls/") + QString::fromLatin1(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray Crlf(const QString &text) {
    QString lines = text;
    return ToCp1251(lines.replace(u'\n', QStringLiteral("\r\n")));
}

// A window like the program's main window, as far as the store is concerned: a few components whose
// properties are listed, a known geometry, a Cyrillic section name.
struct TestWindow {
    explicit TestWindow(const QString &iniFileName) : form(std::make_unique<QWidget>()) {
        form->setGeometry(100, 120, 300, 200);
        auto *memo = new QWidget(form.get());
        memo->setObjectName(QStringLiteral("Memo1"));
        memo->setGeometry(0, 0, 120, 50);
        pages = new QTabWidget(form.get());
        pages->setObjectName(QStringLiteral("PageControl1"));
        for (const char *name : {"TabSheet1", "TabSheet2"}) {
            auto *page = new QWidget;
            page->setObjectName(QString::fromLatin1(name));
            pages->addTab(page, QString::fromLatin1(name));
        }
        pages->setCurrentIndex(1);
        auto *toolBar = new QToolBar(form.get());
        toolBar->setObjectName(QStringLiteral("ToolBar_Menu"));
        menu = new QMenu(form.get());
        menu->setObjectName(QStringLiteral("Menu_Result"));
        menu->setProperty("Tag", 3);

        storage = new TFormStorage(form.get());
        storage->SetIniFileName(iniFileName);
        storage->SetIniSection(kSection);
        storage->SetStoredProps({"Memo1.Width", "PageControl1.ActivePage", "ToolBar_Menu.Visible", "Menu_Result.Tag"});
    }

    void ShowAndClose() {
        form->show();
        ASSERT_TRUE(form->close());
    }

    std::unique_ptr<QWidget> form;
    TFormStorage *storage;
    QTabWidget *pages;
    QMenu *menu;
};

class PlacementStore : public ::testing::Test {
protected:
    void TearDown() override { SetMessageBoxHandler({}); }

    QString IniName() const { return dir.path(QStringLiteral("R9.ini")); }
    QByteArray IniBytes() const { return dir.read(QStringLiteral("R9.ini")); }
    void WriteIni(const QString &text) const { dir.write(QStringLiteral("R9.ini"), Crlf(text)); }

    TempProgramDir dir;
};

TEST_F(PlacementStore, CloseWritesGoldenSectionAndSecondSaveGivesSameBytes) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), QSize(800, 800)) << "the golden file's screen";
    dir.write(QStringLiteral("R9.ini"), Fixture("R9_before.ini"));
    TestWindow window(IniName());
    window.ShowAndClose();
    const QByteArray golden = Fixture("R9_golden.ini");
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(IniBytes(), golden);

    // Shown again, the window takes back what it saved; closed again, it writes the same bytes.
    window.pages->setCurrentIndex(0);
    window.form->move(10, 10);
    window.form->show();
    EXPECT_EQ(window.pages->currentIndex(), 1);
    EXPECT_EQ(window.form->geometry(), QRect(100, 120, 300, 200));
    ASSERT_TRUE(window.form->close());
    EXPECT_EQ(IniBytes(), golden);
}

TEST_F(PlacementStore, SectionWithOnlyBareKeysStillRestores) {
    // As a configuration load leaves a section: the screen-dependent keys are gone.
    WriteIni(QStringLiteral("[Главное окно R9]\nShowCmd=1\nMinMaxPos=-1,-1,-1,-1\nNormPos=50,60,250,210\n"
                            "NormPos(1280x1024)=0,0,10,10\nMemo1_Width=77\nVisible=1\n"));
    TestWindow window(IniName());
    window.form->show();
    EXPECT_EQ(window.form->geometry(), QRect(50, 60, 200, 150));
    EXPECT_EQ(window.form->findChild<QWidget *>(QStringLiteral("Memo1"))->width(), 77);
    ASSERT_TRUE(window.form->close());
    TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("NormPos(800x800)"), QString()), "50,60,250,210");
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("NormPos"), QString()), "50,60,250,210");
}

TEST_F(PlacementStore, OnSavePlacementThatRewritesTheWholeFileKeepsAllKeys) {
    TestWindow window(IniName());
    window.storage->OnSavePlacement = [this] {
        TMemIniFile own(IniName());
        own.WriteString(kSection, QStringLiteral("Splitter"), QStringLiteral("42"));
        own.WriteString(QStringLiteral("R-9"), QStringLiteral("ClientTop"), QStringLiteral("7"));
        own.UpdateFile();
    };
    window.ShowAndClose();
    TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Splitter"), QString()), "42");
    EXPECT_EQ(ini.ReadString(QStringLiteral("R-9"), QStringLiteral("ClientTop"), QString()), "7");
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("NormPos"), QString()), "100,120,400,320");
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Menu_Result_Tag"), QString()), "3");
    // The handler ran last: nothing of the store came after its write.
    EXPECT_EQ(ini.ReadSection(kSection).last(), "Splitter");
}

TEST_F(PlacementStore, StoredRectangleOutsideTheScreenOpensWithinAndFileStaysAsItWas) {
    struct Case {
        const char *normPos;
        QRect expected;
    };
    // The offscreen screen is 800 by 800 and its windows have a frame of 2 pixels all round.
    const Case cases[] = {
        {"-500,-300,3000,2500", QRect(2, 2, 796, 796)},
        {"2000,2000,2300,2200", QRect(498, 598, 300, 200)},
        {"-100,50,200,250", QRect(2, 50, 300, 200)},
        {"10,20,310,220", QRect(10, 20, 300, 200)},
    };
    for (const Case &c : cases) {
        WriteIni(QStringLiteral("[Главное окно R9]\nNormPos=%1\n").arg(QString::fromLatin1(c.normPos)));
        const QByteArray before = IniBytes();
        TestWindow window(IniName());
        window.form->show();
        EXPECT_EQ(window.form->geometry(), c.expected) << c.normPos;
        EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().contains(window.form->frameGeometry()))
            << c.normPos;
        EXPECT_EQ(IniBytes(), before) << c.normPos;
    }
}

TEST_F(PlacementStore, LowerFormVersionIsIgnoredAndTheNextSaveWritesTheNewOne) {
    WriteIni(QStringLiteral("[Главное окно R9]\nFormVersion=1\nNormPos=10,10,110,110\nMemo1_Width=5\n"));
    TestWindow window(IniName());
    window.storage->SetVersion(2);
    bool restoredCalled = false;
    window.storage->OnRestorePlacement = [&restoredCalled] { restoredCalled = true; };
    window.form->show();
    EXPECT_FALSE(restoredCalled);
    EXPECT_EQ(window.form->geometry(), QRect(100, 120, 300, 200));
    EXPECT_EQ(window.form->findChild<QWidget *>(QStringLiteral("Memo1"))->width(), 120);
    ASSERT_TRUE(window.form->close());
    TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadInteger(kSection, QStringLiteral("FormVersion"), 0), 2);
}

TEST_F(PlacementStore, OtherPixelsPerInchDropsThePositionButKeepsTheState) {
    WriteIni(QStringLiteral("[Главное окно R9]\nShowCmd=3\nPixelsPerInch=120\nNormPos=10,10,110,110\n"));
    TestWindow window(IniName());
    window.form->show();
    EXPECT_TRUE(window.form->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(window.form->normalGeometry(), QRect(100, 120, 300, 200));
}

TEST_F(PlacementStore, RightNotBeyondLeftAppliesNothingOfTheRecord) {
    WriteIni(QStringLiteral("[Главное окно R9]\nMinMaxPos=5,5,7,7\nNormPos=300,100,300,400\n"));
    TestWindow window(IniName());
    window.form->show();
    EXPECT_EQ(window.form->geometry(), QRect(100, 120, 300, 200));
    EXPECT_EQ(GetWindowPlacement(window.form.get()).minPosition, QPoint(-1, -1));
}

TEST_F(PlacementStore, FixedSizeWindowTakesOnlyTheStoredLeftAndTop) {
    WriteIni(QStringLiteral("[Главное окно R9]\nNormPos=40,30,500,600\n"));
    TestWindow window(IniName());
    window.form->setFixedSize(300, 200);
    window.form->show();
    EXPECT_EQ(window.form->geometry(), QRect(40, 30, 300, 200));
}

TEST(ReadFormPlacement, ShowCmdMapsOntoTheWindowState) {
    struct Case {
        const char *showCmd;
        Qt::WindowState plainForm;
        Qt::WindowState mdiFrame;
    };
    const Case cases[] = {
        {"0", Qt::WindowNoState, Qt::WindowMaximized},   {"1", Qt::WindowNoState, Qt::WindowNoState},
        {"2", Qt::WindowMinimized, Qt::WindowMinimized}, {"3", Qt::WindowMaximized, Qt::WindowMaximized},
        {"4", Qt::WindowNoState, Qt::WindowMaximized},   {"5", Qt::WindowNoState, Qt::WindowNoState},
        {"6", Qt::WindowMinimized, Qt::WindowMinimized}, {"7", Qt::WindowMinimized, Qt::WindowMinimized},
        {"8", Qt::WindowNoState, Qt::WindowMaximized},   {"9", Qt::WindowNoState, Qt::WindowNoState},
        {"abc", Qt::WindowNoState, Qt::WindowMaximized},
    };
    TempProgramDir dir;
    for (const Case &c : cases) {
        TMemIniFile ini(dir.path(QStringLiteral("R9.ini")));
        ini.WriteString(QStringLiteral("W"), QStringLiteral("ShowCmd"), QString::fromLatin1(c.showCmd));

        QWidget form;
        ReadFormPlacement(&form, &ini, QStringLiteral("W"), true, false);
        EXPECT_EQ(form.windowState(), c.plainForm) << "plain form, ShowCmd " << c.showCmd;

        QMainWindow frame;
        frame.setCentralWidget(new QMdiArea);
        ReadFormPlacement(&frame, &ini, QStringLiteral("W"), true, false);
        if (c.mdiFrame == Qt::WindowMinimized) {
            // The main window opens normal; the minimising follows once it is up.
            EXPECT_EQ(frame.windowState(), Qt::WindowNoState) << "MDI frame, ShowCmd " << c.showCmd;
            frame.show();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(frame.windowState() & ~Qt::WindowActive, c.mdiFrame) << "MDI frame, ShowCmd " << c.showCmd;
    }
}

TEST_F(PlacementStore, ActiveStoreNeverRestoredKeepsItsSectionAndInactiveStoreAlwaysWrites) {
    TestWindow window(IniName());
    window.storage->SaveFormPlacement();
    EXPECT_TRUE(IniBytes().isEmpty());

    window.storage->SetActive(false);
    window.storage->SaveFormPlacement();
    EXPECT_EQ(TIniFile(IniName()).ReadString(kSection, QStringLiteral("NormPos"), QString()), "100,120,400,320");
    // Not active: showing restores nothing and closing saves nothing.
    dir.write(QStringLiteral("R9.ini"), QByteArray());
    window.ShowAndClose();
    EXPECT_TRUE(IniBytes().isEmpty());
}

TEST_F(PlacementStore, CloseQueryVetoKeepsTheWindowOpenAndUnsaved) {
    TestWindow window(IniName());
    bool allow = false;
    window.storage->OnCloseQuery = [&allow](bool &canClose) { canClose = allow; };
    window.form->show();
    EXPECT_FALSE(window.form->close());
    EXPECT_TRUE(window.form->isVisible());
    EXPECT_TRUE(IniBytes().isEmpty());
    allow = true;
    EXPECT_TRUE(window.form->close());
    EXPECT_FALSE(IniBytes().isEmpty());
}

TEST_F(PlacementStore, DestructionSavesVisibleOnlyWhenNoSaveHappened) {
    {
        TestWindow window(IniName());
        window.form->show();
        window.storage->FormDestroy();
    }
    TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Visible"), QString()), "1");
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("ShowCmd"), QString()), "1");
    {
        TestWindow window(IniName());
        window.ShowAndClose();
        window.storage->FormDestroy();
    }
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("Visible"), QString()), "0");
}

TEST_F(PlacementStore, FailingSaveIsReportedAndTheWindowStillCloses) {
    std::vector<MessageRequest> shown;
    SetMessageBoxHandler([&shown](const MessageRequest &request) {
        shown.push_back(request);
        return int(IdOk);
    });
    TestWindow window(IniName());
    window.storage->OnSavePlacement = [] { throw std::runtime_error("Unable to write to R9.ini"); };
    window.form->show();
    EXPECT_TRUE(window.form->close());
    EXPECT_FALSE(window.form->isVisible());
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Unable to write to R9.ini");
    EXPECT_EQ(shown[0].icon, MsgIcon::Error);
    // An explicit call lets the failure reach its caller.
    EXPECT_THROW(window.storage->SaveFormPlacement(), std::runtime_error);
    EXPECT_EQ(window.storage->GetIniFile(), nullptr);
}

TEST_F(PlacementStore, EraseSectionsRemovesTheSectionAndItsSubSectionsButNotWhileTheFileIsOpen) {
    WriteIni(QStringLiteral("[Form]\na=1\n[Form.Grid]\nb=1\n[Form\\Sub]\nc=1\n[Form2]\nd=1\n[Other]\ne=1\n"));
    QWidget form;
    TFormPlacement store(&form);
    store.SetIniFileName(IniName());
    store.SetIniSection(QStringLiteral("Form"));
    store.SetActive(false);

    store.OnSavePlacement = [&store] { store.EraseSections(); };
    store.SaveFormPlacement();
    EXPECT_TRUE(TIniFile(IniName()).SectionExists(QStringLiteral("Form.Grid")));

    store.EraseSections();
    EXPECT_EQ(TIniFile(IniName()).ReadSections(), QStringList({"Form2", "Other"}));
}

// The main window with its MDI area, and one child window in it.
struct MdiWindows {
    MdiWindows() {
        frame.setCentralWidget(area);
        frame.setGeometry(20, 20, 700, 500);
        frame.show();
        child = new QWidget;
        area->addSubWindow(child);
    }
    QWidget *SubWindow() const { return child->parentWidget(); }

    QMainWindow frame;
    QMdiArea *area = new QMdiArea;
    QWidget *child = nullptr;
};

TEST_F(PlacementStore, MdiChildKeepsItsSubWindowRectangleAndMinimisedFlag) {
    WriteIni(QStringLiteral("[Child]\nShowCmd=1\nNormPos=30,40,330,240\n"));
    MdiWindows mdi;
    auto *storage = new TFormPlacement(mdi.child);
    storage->SetIniFileName(IniName());
    storage->SetIniSection(QStringLiteral("Child"));
    mdi.child->show();
    EXPECT_EQ(mdi.SubWindow()->geometry(), QRect(30, 40, 300, 200));

    mdi.SubWindow()->showMaximized();
    storage->SaveFormPlacement();
    TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadString(QStringLiteral("Child"), QStringLiteral("ShowCmd"), QString()), "3");
    EXPECT_EQ(ini.ReadString(QStringLiteral("Child"), QStringLiteral("NormPos"), QString()), "30,40,330,240");

    mdi.SubWindow()->showMinimized();
    storage->SaveFormPlacement();
    EXPECT_EQ(ini.ReadString(QStringLiteral("Child"), QStringLiteral("ShowCmd"), QString()), "2");
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Child"), QStringLiteral("Flags"), -1), 1);

    // Closing the sub-window closes the child, which saves once more.
    mdi.SubWindow()->showNormal();
    int saves = 0;
    storage->OnSavePlacement = [&saves] { ++saves; };
    EXPECT_TRUE(mdi.SubWindow()->close());
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Child"), QStringLiteral("ShowCmd"), QString()), "1");
    EXPECT_EQ(ini.ReadString(QStringLiteral("Child"), QStringLiteral("Visible"), QString()), "0");
}

TEST_F(PlacementStore, MaximisedWidthLimitAndFixedSize) {
    MdiWindows mdi;
    auto *storage = new TFormPlacement(mdi.child);
    storage->SetIniFileName(IniName());
    storage->MinMaxInfo().SetMinMaxInfo(TWinMinMaxInfo::MaxSizeWidth, 250);
    storage->MinMaxInfo().SetMinMaxInfo(TWinMinMaxInfo::MaxTrackWidth, 250);
    mdi.child->show();
    mdi.SubWindow()->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_EQ(mdi.SubWindow()->width(), 250);
    EXPECT_EQ(mdi.SubWindow()->height(), mdi.area->viewport()->height());

    // Without limits the sub-window fills the area again.
    storage->MinMaxInfo().Assign(TWinMinMaxInfo());
    mdi.SubWindow()->showNormal();
    mdi.SubWindow()->showMaximized();
    EXPECT_EQ(mdi.SubWindow()->width(), mdi.area->viewport()->width());

    QWidget dialog;
    dialog.resize(320, 180);
    TFormPlacement fixed(&dialog);
    fixed.SetPreventResize(true);
    dialog.show();
    EXPECT_EQ(dialog.minimumSize(), QSize(320, 180));
    EXPECT_EQ(dialog.maximumSize(), QSize(320, 180));
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    fixed.SetPreventResize(false);
    EXPECT_NE(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST(IniWrappers, QuotedValuesRoundTrip) {
    TempProgramDir dir;
    TIniFile direct(dir.path(QStringLiteral("R9.ini")));
    TMemIniFile inMemory(dir.path(QStringLiteral("other.ini")));
    const QStringList values = {"\"quoted\"", "'single'", "\"", "'", "plain", "\"half", "'mixed\"", ""};
    for (TCustomIniFile *ini : std::initializer_list<TCustomIniFile *>{&direct, &inMemory})
        for (const QString &value : values) {
            IniWriteString(ini, QStringLiteral("S"), QStringLiteral("K"), value);
            EXPECT_EQ(IniReadString(ini, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), value);
        }
    // Without an INI object reads give the default and writes do nothing.
    IniWriteString(nullptr, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("x"));
    EXPECT_EQ(IniReadString(nullptr, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), "def");
    EXPECT_EQ(IniReadInteger(nullptr, QStringLiteral("S"), QStringLiteral("K"), 7), 7);
}

TEST(DefaultNames, SectionsFollowFormsAndComponents) {
    QWidget form;
    auto *panel = new QWidget(&form);
    panel->setObjectName(QStringLiteral("Panel1"));
    auto *grid = new QWidget(panel);
    grid->setObjectName(QStringLiteral("Grid"));
    QObject timer(&form);
    timer.setObjectName(QStringLiteral("Timer1"));
    EXPECT_EQ(GetDefaultSection(&form), "QWidget");
    EXPECT_EQ(GetDefaultSection(grid), "QWidgetGrid");
    EXPECT_EQ(GetDefaultSection(&timer), "QWidget.Timer1");
    EXPECT_EQ(GetDefaultSection(nullptr), "");

    OnGetDefaultIniName = [] { return QStringLiteral("own.ini"); };
    EXPECT_EQ(GetDefaultIniName(), "own.ini");
    OnGetDefaultIniName = nullptr;
    EXPECT_TRUE(GetDefaultIniName().endsWith(QStringLiteral(".INI")));
}

TEST(IniLinks, NotifiedInOrderOfAttachment) {
    TempProgramDir dir;
    QWidget form;
    TFormPlacement store(&form);
    store.SetIniFileName(dir.path(QStringLiteral("R9.ini")));
    store.SetIniSection(QStringLiteral("Form"));
    store.SetActive(false);
    QStringList calls;
    TIniLink first;
    TIniLink second;
    first.OnSaveToIni = [&calls](TIniLink *link) {
        calls << QStringLiteral("first ") + link->GetRootSection();
        IniWriteString(link->GetIniObject(), QStringLiteral("Links"), QStringLiteral("first"), QStringLiteral("1"));
    };
    second.OnSaveToIni = [&calls](TIniLink *) { calls << QStringLiteral("second"); };
    second.OnLoadFromIni = [&calls](TIniLink *) { calls << QStringLiteral("second load"); };
    first.SetStorage(&store);
    second.SetStorage(&store);
    store.SaveFormPlacement();
    store.RestoreFormPlacement();
    EXPECT_EQ(calls, QStringList({"first Form\\", "second", "second load"}));
    EXPECT_EQ(TIniFile(dir.path(QStringLiteral("R9.ini"))).ReadString("Links", "first", QString()), "1");
    {
        TIniLink gone;
        gone.SetStorage(&store);
    }
    store.SaveFormPlacement(); // a destroyed link has left the store
    EXPECT_EQ(calls.size(), 5);
}

} // namespace

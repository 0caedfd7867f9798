#include "MainFixture.h"
#include "shell/FileChoice.h"
#include "support/Screenshot.h"

#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

namespace {

QAction *ItemWithTag(QMenu *menu, int tag) {
    for (QAction *item : menu->actions())
        if (!item->isSeparator() && item->property("Tag").toInt() == tag)
            return item;
    return nullptr;
}

} // namespace

TEST_F(MainWindowTest, LayoutKeysAreWrittenAtCloseAndWindowsComeBackAtStart) {
    ConnectionKind = 0;
    {
        TMainForm &form = Start({QStringLiteral("/demo")});
        form.show();
        form.CurrentIndex = 8;
        form.ShowGraphWindow();
        form.CurrentIndex = 1;
        form.ShowMeasParWindow();
        form.CurrentIndex = 8;
        form.ShowGraphWindow(); // brings it forward: it becomes the active child
        form.TechPort = 3;
        form.DirCfgFile = QStringLiteral("/data/cfg/");
        ASSERT_TRUE(form.close());
    }
    window.reset();
    EXPECT_TRUE(GraphWindows[8].isNull());

    TMemIniFile ini(dir.path(QStringLiteral("R9.ini")));
    const QString section = QStringLiteral("R9 ДЕМО-режим");
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("Form_Graph[8]"), {}), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("Form_Graph[3]"), {}), QStringLiteral("0"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("Form_MeasParam[1]"), {}), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("ActiveMDIChild_Tag"), {}), QStringLiteral("9"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("Технологический порт"), {}), QStringLiteral("3"));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("DirСfgFile"), {}), QStringLiteral("/data/cfg/"));
    EXPECT_FALSE(ini.ValueExists(section, QStringLiteral("DirCfgFile"))); // Latin C
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("R9_307")));
    // The Cyrillic key name is stored in windows-1251.
    EXPECT_TRUE(dir.read(QStringLiteral("R9.ini")).contains(ToCp1251(QStringLiteral("DirСfgFile="))));
    const QStringList keys = ini.ReadSection(section);
    EXPECT_LT(keys.indexOf(QStringLiteral("ClientWidth")), keys.indexOf(QStringLiteral("ActiveMDIChild_Tag")));
    EXPECT_LT(keys.indexOf(QStringLiteral("USB-port")), keys.indexOf(QStringLiteral("Form_BaseParam[0]")));
    EXPECT_LT(keys.indexOf(QStringLiteral("Form_Power")), keys.indexOf(QStringLiteral("DirСfgFile")));

    SetUp();
    ConnectionKind = 0;
    TMainForm &again = Start({QStringLiteral("/demo")});
    again.show();
    ASSERT_FALSE(GraphWindows[8].isNull());
    EXPECT_FALSE(MeasParWindows[1].isNull());
    EXPECT_TRUE(GraphWindows[3].isNull());
    EXPECT_EQ(again.MdiArea->activeSubWindow()->widget(), GraphWindows[8].data());
    EXPECT_EQ(again.TechPort, 3);
    EXPECT_EQ(again.DirCfgFile, QStringLiteral("/data/cfg/"));
}

TEST_F(MainWindowTest, StoredKeysAreReadWithTheirDefaults) {
    dir.write(QStringLiteral("R9.ini"),
              ToCp1251(QStringLiteral("[R9_307]\r\nForm_Graph[3]=1\r\nActiveMDIChild_Tag=4\r\n"
                                      "DirCfgFile=/latin/\r\nDirMaskFile=C:\\R9\\Masks\r\n")));
    TMainForm &form = Start();
    form.show();
    ASSERT_FALSE(GraphWindows[3].isNull());
    EXPECT_EQ(form.MdiArea->activeSubWindow()->widget(), GraphWindows[3].data());
    EXPECT_EQ(form.DirCfgFile, form.ConfigDir); // the key with a Latin C is not the program's
    EXPECT_EQ(form.DirMaskFile, QStringLiteral("C:/R9/Masks/"));
    EXPECT_EQ(form.DirDataFile, dir.path(QStringLiteral("Data/")));
    EXPECT_EQ(form.TechPort, -1);
    EXPECT_EQ(form.StatusBar2->PanelText(0), QStringLiteral("R-9_307 Нет"));
}

TEST_F(MainWindowTest, ViewMenusOpenOneWindowPerSlotAndMarkTheOpenOnes) {
    TMainForm &form = Start();
    form.show();
    QAction *z = ItemWithTag(form.Menu_MTTS, 8);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->text(), QStringLiteral("Z, Ом"));
    form.ShowFromMenu(z, form.Menu_MTTS);
    QWidget *first = GraphWindows[8];
    ASSERT_NE(first, nullptr);
    form.ShowFromMenu(z, form.Menu_MTTS);
    EXPECT_EQ(GraphWindows[8].data(), first);
    EXPECT_EQ(form.MdiArea->subWindowList().size(), 1);
    EXPECT_EQ(WindowTag(first), 9);
    EXPECT_EQ(form.Menu_MTTS->property("Tag").toInt(), form.Menu_MTTS->actions().indexOf(z));

    // The window menu has the window's item after the eight fixed ones.
    ASSERT_EQ(form.WindowMenuItems().size(), 1);
    EXPECT_EQ(form.WindowMenuItems()[0]->property("Tag").toInt(), 9);

    form.SubWindowOf(first)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(GraphWindows[8].isNull());
    EXPECT_TRUE(form.WindowMenuItems().isEmpty());
    form.UpdateViewMenuChecks(form.Menu_MTTS);
    EXPECT_FALSE(z->isChecked());

    // The drop-down button reopens the last choice.
    form.MenuButton_Click(form.Menu_MTTS);
    EXPECT_FALSE(GraphWindows[8].isNull());
}

TEST_F(MainWindowTest, WindowMenuTagsReachOnlyExistingSlots) {
    TMainForm &form = Start();
    form.show();
    form.CurrentIndex = 38;
    QWidget *last = form.ShowGraphWindow();
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(WindowByTag(39), last);
    for (int tag : {0, 40, 50, 58, 60, 63, 80, 91, 107, 200, 214})
        EXPECT_EQ(WindowSlotByTag(tag), nullptr) << tag;
    for (int tag : {1, 39, 51, 57, 61, 62, 81, 90, 101, 106, 201, 213})
        EXPECT_NE(WindowSlotByTag(tag), nullptr) << tag;
    QAction stale;
    stale.setProperty("Tag", 45);
    form.WindowMenuItemClick(&stale); // a tag beyond the graph slots does nothing
}

TEST_F(MainWindowTest, AMaximisedChildFillsOnlyTheAreaRightOfTheSplitter) {
    TechnologyMode = true;
    TMainForm &form = Start({QStringLiteral("/technology")});
    form.show();
    form.CurrentIndex = 0;
    QWidget *graph = form.ShowGraphWindow();
    ASSERT_NE(graph, nullptr);
    form.SubWindowOf(graph)->showMaximized();
    QCoreApplication::processEvents();
    const QRect child = form.SubWindowOf(graph)->geometry();
    const QRect global(form.SubWindowOf(graph)->mapTo(&form, QPoint(0, 0)), child.size());
    EXPECT_GE(global.left(), form.Memo1->mapTo(&form, QPoint(form.Memo1->width(), 0)).x());
    EXPECT_GE(global.top(), form.ControlBar1->mapTo(&form, QPoint(0, form.ControlBar1->height())).y());
    EXPECT_LE(global.bottom(), form.StatusBar2->mapTo(&form, QPoint(0, 0)).y());
}

TEST_F(MainWindowTest, ShortCutsReachTheirCommands) {
    TMainForm &form = Start();
    int load = 0;
    int save = 0;
    SetFileChoiceHandler([&](const TFileChoice &choice) {
        ++(choice.Save ? save : load);
        return QString();
    });
    form.findChild<QAction *>(QStringLiteral("N_LoadConfig"))->setEnabled(false);
    EXPECT_TRUE(form.FormShortCut(Qt::Key_F3, Qt::NoModifier));
    EXPECT_EQ(load, 1);

    DeviceSettings->ConnectionType = 0;
    form.RefreshSettingsInterlocks();
    EXPECT_FALSE(form.findChild<QAction *>(QStringLiteral("N_SaveConfig"))->isEnabled());
    form.FormShortCut(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(save, 0);
    DeviceSettings->ConnectionType = 3;
    form.RefreshSettingsInterlocks();
    form.FormShortCut(Qt::Key_F3, Qt::ControlModifier);
    EXPECT_EQ(save, 1);
    SetFileChoiceHandler({});

    EXPECT_TRUE(form.FormShortCut(Qt::Key_F5, Qt::NoModifier));
    EXPECT_FALSE(Form_SetDev.isNull());
    EXPECT_EQ(WindowTag(Form_SetDev), 101);
}

namespace {

// The bands of the control bar that lie on one another.
QStringList OverlappingBands(const TMainForm &form) {
    const QList<QWidget *> bands = {form.ToolBar_Menu, form.PageControl1, form.ToolBar_SelfGen, form.ToolBar_SelfMeter,
                                    form.ToolBar_Error};
    QStringList overlaps;
    for (qsizetype i = 0; i < bands.size(); ++i)
        for (qsizetype j = i + 1; j < bands.size(); ++j)
            if (bands[i]->geometry().intersects(bands[j]->geometry()))
                overlaps << bands[i]->objectName() + '/' + bands[j]->objectName();
    return overlaps;
}

} // namespace

// A band saved where a grown band now stands is put beside it after a restart.
TEST_F(MainWindowTest, AfterARestartNoToolBarCoversAnother) {
    {
        TMainForm &form = Start();
        form.show();
        QCoreApplication::processEvents();
        form.ToolBar_Error->move(form.ToolBar_SelfMeter->pos());
        form.close();
        window.reset();
    }
    TMainForm &form = Start();
    form.show();
    QCoreApplication::processEvents();
    SaveScreenshot(form, QStringLiteral("restart"));
    EXPECT_EQ(OverlappingBands(form), QStringList());
    EXPECT_TRUE(form.ToolBar_Error->isVisible());
}

// "Упорядочить" with a maximised child first gives it back its normal place, so it no longer covers the
// others; the minimised icons line up along the bottom.
TEST_F(MainWindowTest, ArrangingRestoresAMaximisedChildFirst) {
    TMainForm &form = Start();
    form.resize(1200, 800);
    form.show();
    for (int kind : {0, 1, 2}) {
        form.CurrentIndex = kind;
        form.ShowGraphWindow();
    }
    QCoreApplication::processEvents();
    QList<QMdiSubWindow *> subs = form.MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 3);
    subs[0]->showMinimized();
    const QRect normal = subs[1]->geometry();
    subs[1]->showMaximized();
    QCoreApplication::processEvents();
    SaveScreenshot(form, QStringLiteral("arrange_before"));
    form.NArrangeClick();
    QCoreApplication::processEvents();
    SaveScreenshot(form, QStringLiteral("arrange_after"));
    for (QMdiSubWindow *sub : subs)
        EXPECT_FALSE(sub->isMaximized()) << sub->windowTitle().toStdString();
    EXPECT_EQ(subs[1]->geometry(), normal);
    EXPECT_TRUE(subs[0]->isMinimized());
    EXPECT_EQ(subs[0]->geometry().bottom(), form.MdiArea->viewport()->rect().bottom());
}

// Tiling follows its direction and keeps to the client area; the main window keeps its size.
TEST_F(MainWindowTest, TilingVerticallyAndHorizontallyDiffer) {
    TMainForm &form = Start();
    form.show();
    for (int kind : {0, 1}) {
        form.CurrentIndex = kind;
        form.ShowGraphWindow();
    }
    QCoreApplication::processEvents();
    const QSize mainSize = form.size();
    const QRect area = form.MdiArea->viewport()->rect();
    form.N_TileVertClick();
    QList<QMdiSubWindow *> subs = form.MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    EXPECT_EQ(subs[0]->y(), subs[1]->y());
    EXPECT_LT(subs[0]->x(), subs[1]->x());
    EXPECT_EQ(subs[0]->height(), area.height());
    form.N_TileHorzClick();
    EXPECT_EQ(subs[0]->x(), subs[1]->x());
    EXPECT_LT(subs[0]->y(), subs[1]->y());
    EXPECT_EQ(subs[0]->width(), area.width());
    // Many windows larger than their share.
    WindowFactories.Graph = [](int index) {
        auto *big = new QLabel(QString::number(index));
        big->setMinimumSize(400, 300);
        return static_cast<QWidget *>(big);
    };
    for (int kind = 2; kind < 20; ++kind) {
        form.CurrentIndex = kind;
        form.ShowGraphWindow();
    }
    form.N_TileVertClick();
    form.N_TileHorzClick();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.size(), mainSize);
}

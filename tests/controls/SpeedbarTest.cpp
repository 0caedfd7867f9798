#include "controls/Sbsetup.h"
#include "controls/Speedbar.h"
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

// A form 400 by 300 with a bar docked at its top.
struct BarScene {
    QWidget form;
    TSpeedBar *bar;

    BarScene() {
        form.resize(400, 300);
        bar = new TSpeedBar(&form);
        bar->setObjectName(QStringLiteral("SpeedBar1"));
    }

    TSpeedItem *Item(const QString &name, int section = 0) {
        if (bar->GetSectionCount() == 0)
            bar->AddSection(QStringLiteral("File"));
        return bar->NewItem(&form, section, name);
    }
    TSpeedItem *Shown(const QString &name, int left, int top) {
        TSpeedItem *item = Item(name);
        item->SetLeft(left);
        item->SetTop(top);
        item->SetVisible(true);
        return item;
    }
};

// What the bar tells its customise window.
class ChangeRecorder : public QWidget {
public:
    QList<QPair<int, QObject *>> changes;

protected:
    bool event(QEvent *event) override {
        if (event->type() == TSpeedbarChangedEvent::Type()) {
            const auto *changed = static_cast<TSpeedbarChangedEvent *>(event);
            changes.append({changed->Code, changed->Object});
            return true;
        }
        return QWidget::event(event);
    }
};

TEST(SpeedbarSections, CaptionsAreMadeUniqueAndRenamesChecked) {
    BarScene scene;
    for (int i = 0; i < 3; ++i)
        scene.bar->AddSection(QStringLiteral("View"));
    EXPECT_EQ(scene.bar->GetSection(0)->GetTitle(), QStringLiteral("View"));
    EXPECT_EQ(scene.bar->GetSection(1)->GetTitle(), QStringLiteral("View (1)"));
    EXPECT_EQ(scene.bar->GetSection(2)->GetTitle(), QStringLiteral("View (2)"));
    try {
        scene.bar->GetSection(2)->SetTitle(QStringLiteral("View"));
        FAIL() << "a duplicate caption was accepted";
    } catch (const ESpeedbarError &error) {
        EXPECT_STREQ(error.what(), "String list does not allow duplicates");
    }
    EXPECT_EQ(scene.bar->GetSection(2)->GetTitle(), QStringLiteral("View (2)"));
    scene.bar->GetSection(2)->SetTitle(QStringLiteral("view"));
    EXPECT_EQ(scene.bar->GetSection(2)->GetTitle(), QStringLiteral("view"));
}

TEST(SpeedbarSections, ItemsAreFoundAddedAndRemoved) {
    BarScene scene;
    TSpeedItem *open = scene.Item(QStringLiteral("BtnOpen"));
    EXPECT_EQ(scene.bar->SearchItem(QStringLiteral("btnopen")), open);
    EXPECT_EQ(scene.bar->NewItem(&scene.form, 5, QStringLiteral("X")), nullptr);
    EXPECT_EQ(scene.bar->Items(0, 7), nullptr);
    EXPECT_EQ(scene.bar->ItemsCount(-1), 0);

    scene.bar->AddSection(QStringLiteral("Edit"));
    auto *loose = new TSpeedItem(&scene.form);
    scene.bar->AddItem(5, loose);
    EXPECT_EQ(loose->GetSection(), 1);
    EXPECT_EQ(scene.bar->ItemsCount(1), 1);
}

TEST(SpeedbarSections, AnItemOnABarWithoutSectionsGetsAnEmptySection) {
    BarScene scene;
    auto *item = new TSpeedItem(&scene.form);
    scene.bar->AddItem(0, item);
    ASSERT_EQ(scene.bar->GetSectionCount(), 1);
    EXPECT_EQ(scene.bar->GetSection(0)->GetTitle(), QString());
    EXPECT_EQ(item->Button()->geometry(), QRect(0, 3, 24, 23));
    EXPECT_TRUE(item->Button()->isHidden());
    item->SetVisible(true);
    EXPECT_FALSE(item->Button()->isHidden());
}

TEST(SpeedbarSections, TheHintFollowsTheCaptionWhileTheyAgree) {
    BarScene scene;
    TSpeedItem *item = scene.Item(QStringLiteral("Open"));
    EXPECT_EQ(item->Caption(), QStringLiteral("Open"));
    EXPECT_EQ(item->Hint(), QStringLiteral("Open|"));
    item->SetHint(QStringLiteral("Open|Opens a file"));
    item->SetCaption(QStringLiteral("Load"));
    EXPECT_EQ(item->Hint(), QStringLiteral("Load|Opens a file"));
    item->SetHint(QStringLiteral("Other|x"));
    item->SetCaption(QStringLiteral("Again"));
    EXPECT_EQ(item->Hint(), QStringLiteral("Other|x"));
}

TEST(SpeedbarSections, RemoveSectionFreesItsItemsDeleteSectionKeepsThem) {
    BarScene scene;
    QList<QPointer<TSpeedItem>> items;
    for (int i = 0; i < 3; ++i)
        items.append(scene.Item(QStringLiteral("B%1").arg(i)));
    scene.bar->DeleteSection(0);
    for (const auto &item : items) {
        ASSERT_TRUE(item);
        EXPECT_EQ(item->SpeedBar(), nullptr);
        EXPECT_EQ(item->GetSection(), -1);
    }
    scene.bar->AddSection(QStringLiteral("Again"));
    for (const auto &item : items)
        scene.bar->AddItem(0, item);
    scene.bar->RemoveSection(0);
    for (const auto &item : items)
        EXPECT_FALSE(item);
    EXPECT_EQ(scene.bar->GetSectionCount(), 0);
}

TEST(SpeedbarSections, DisablingTheBarDisablesEveryButton) {
    BarScene scene;
    TSpeedItem *a = scene.Shown(QStringLiteral("A"), 3, 3);
    TSpeedItem *b = scene.Shown(QStringLiteral("B"), 27, 3);
    b->SetEnabled(false);
    scene.bar->setEnabled(false);
    EXPECT_FALSE(a->Button()->isEnabled());
    scene.bar->setEnabled(true);
    EXPECT_TRUE(a->Button()->isEnabled());
    EXPECT_FALSE(b->Button()->isEnabled());
}

TEST(SpeedbarGeometry, ANewBarHasTheDefaultSizes) {
    BarScene scene;
    EXPECT_EQ(scene.bar->BtnWidth(), 24);
    EXPECT_EQ(scene.bar->BtnHeight(), 23);
    EXPECT_EQ(scene.bar->BtnOffsetHorz(), 3);
    EXPECT_EQ(scene.bar->BtnOffsetVert(), 3);
    EXPECT_EQ(scene.bar->height(), 29);
    EXPECT_EQ(scene.bar->GridSize(), QPoint(8, 23));
    EXPECT_EQ(scene.bar->geometry(), QRect(0, 0, 400, 29));
}

TEST(SpeedbarGeometry, GridStepAlongTheBar) {
    const QList<QPair<int, int>> cases{{24, 8}, {16, 8}, {20, 10}, {25, 5}, {30, 10}, {32, 8},
                                       {23, 1}, {29, 1}, {1, 1},   {2, 1},  {3, 1},   {0, 1}};
    for (const auto &[size, step] : cases) {
        BarScene scene;
        scene.bar->SetBtnWidth(size);
        EXPECT_EQ(scene.bar->GridSize().x(), step) << "button width " << size;
    }
}

TEST(SpeedbarGeometry, SnappingRoundsHalvesToTheEvenNeighbour) {
    BarScene scene;
    const QList<QPair<QPoint, QPoint>> cases{{{14, 3}, {11, 3}},  {{15, 3}, {19, 3}}, {{23, 3}, {19, 3}},
                                             {{31, 3}, {35, 3}},  {{11, 30}, {11, 26}}, {{11, 48}, {11, 26}},
                                             {{11, 49}, {11, 49}}};
    for (const auto &[from, to] : cases)
        EXPECT_EQ(scene.bar->SnapToGrid(from), to) << from.x() << "," << from.y();
}

TEST(SpeedbarGeometry, AButtonSizeOfZeroNeverDivides) {
    BarScene scene;
    scene.bar->SetBtnHeight(0);
    scene.bar->SetBtnWidth(0);
    EXPECT_EQ(scene.bar->SnapToGrid(QPoint(10, 10)), QPoint(10, 10));
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 3, 3);
    scene.bar->SetOptions(scene.bar->Options() | sbAllowResize);
    ChangeRecorder window;
    scene.bar->SetEditing(&window);
    scene.bar->MouseDown(Qt::LeftButton, Qt::NoModifier, 10, scene.bar->height());
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 10, 60);
    scene.bar->MouseUp(Qt::LeftButton, 10, 60);
    EXPECT_TRUE(item->Visible());
}

TEST(SpeedbarGeometry, AligningLeftTurnsTheBar) {
    BarScene scene;
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 27, 3);
    scene.bar->SetAlign(alLeft);
    EXPECT_EQ(scene.bar->GetOrientation(), boVertical);
    EXPECT_EQ(scene.bar->BtnWidth(), 23);
    EXPECT_EQ(scene.bar->BtnHeight(), 24);
    EXPECT_EQ(scene.bar->GridSize(), QPoint(23, 8));
    EXPECT_EQ(item->Button()->pos(), QPoint(3, 27));
    EXPECT_EQ(scene.bar->geometry(), QRect(0, 0, 29, 300));
}

TEST(SpeedbarGeometry, PositionRulesOfAlignAndOrientation) {
    BarScene scene;
    EXPECT_THROW(scene.bar->SetAlign(alClient), ESpeedbarError);
    EXPECT_THROW(scene.bar->SetOrientation(boVertical), ESpeedbarError);
    EXPECT_EQ(scene.bar->Align(), alTop);
    scene.bar->SetPosition(bpCustom);
    scene.bar->SetAlign(alClient);
    EXPECT_EQ(scene.bar->Align(), alClient);
    EXPECT_EQ(scene.bar->GetOrientation(), boHorizontal);
}

TEST(SpeedbarGeometry, OffsetsFollowTheFlatLook) {
    BarScene scene;
    scene.bar->SetOptions(scene.bar->Options() | sbFlatBtns);
    scene.bar->SetButtonsOffset(0, 1);
    scene.bar->SetButtonsOffset(1, 1);
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 9, 1);
    scene.bar->SetOptions(scene.bar->Options() & ~sbFlatBtns);
    EXPECT_EQ(scene.bar->BtnOffsetHorz(), 3);
    EXPECT_EQ(scene.bar->BtnOffsetVert(), 3);
    EXPECT_EQ(item->Button()->pos(), QPoint(11, 3));
    scene.bar->SetOptions(scene.bar->Options() | sbFlatBtns);
    EXPECT_EQ(item->Button()->pos(), QPoint(11, 3));
}

TEST(SpeedbarGeometry, TheButtonHeightGrowsTheBarButNeverShrinksIt) {
    BarScene scene;
    scene.bar->SetBtnHeight(30);
    EXPECT_EQ(scene.bar->height(), 36);
    scene.bar->SetBtnHeight(23);
    EXPECT_EQ(scene.bar->height(), 36);
}

TEST(SpeedbarGeometry, BoundLinesKeepAlignedChildrenInside) {
    BarScene scene;
    scene.bar->resize(400, 40);
    auto *child = new QWidget(scene.bar);
    child->resize(50, 10);
    child->setProperty("Align", int(alTop));
    scene.bar->SetBoundLines(blTop | blBottom);
    EXPECT_EQ(child->geometry(), QRect(1, 3, 398, 10));
}

TEST(SpeedbarCustomize, TheBarDragStartsPastFourPixels) {
    BarScene scene;
    scene.bar->MouseDown(Qt::LeftButton, Qt::NoModifier, 100, 10);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 104, 14);
    EXPECT_FALSE(scene.bar->Dragging());
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 105, 14);
    EXPECT_TRUE(scene.bar->Dragging());
    scene.bar->MouseUp(Qt::LeftButton, 105, 14);
    EXPECT_FALSE(scene.bar->Dragging());
    EXPECT_EQ(scene.bar->Align(), alTop);
}

TEST(SpeedbarCustomize, TheDiagonalsCutTheParentIntoFourSides) {
    BarScene scene;
    const QList<QPair<QPoint, int>> cases{{{200, 20}, 0}, {{20, 150}, 2}, {{380, 150}, 3},
                                          {{200, 290}, 1}, {{200, 150}, 3}, {{300, 225}, 3}};
    for (const auto &[point, side] : cases) {
        bool apply = true;
        const QPoint local = scene.bar->mapFromParent(point);
        EXPECT_EQ(scene.bar->GetFramePos(local.x(), local.y(), apply), side) << point.x() << "," << point.y();
    }
}

TEST(SpeedbarCustomize, ReleasingTheDragDocksAtTheSide) {
    BarScene scene;
    int posChanged = 0;
    scene.bar->OnPosChanged = [&](TSpeedBar *) { ++posChanged; };
    scene.bar->MouseDown(Qt::LeftButton, Qt::NoModifier, 200, 10);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 20, 150);
    scene.bar->MouseUp(Qt::LeftButton, 20, 150);
    EXPECT_EQ(scene.bar->Align(), alLeft);
    EXPECT_EQ(posChanged, 1);
}

TEST(SpeedbarCustomize, TheFrameForTheTopLiesBelowAnotherTopPanel) {
    QWidget form;
    form.resize(400, 300);
    auto *panel = new QWidget(&form);
    panel->resize(400, 40);
    panel->setProperty("Align", int(alTop));
    auto *bar = new TSpeedBar(&form);
    EXPECT_EQ(bar->geometry(), QRect(0, 40, 400, 29));
    bar->SetAlign(alBottom);
    const QRect frame = bar->GetFrameRect(200, -200);
    EXPECT_EQ(frame, QRect(form.mapToGlobal(QPoint(0, 40)), QSize(400, 29)));
}

TEST(SpeedbarCustomize, ARefusedSideKeepsTheLastAcceptedOne) {
    BarScene scene;
    scene.bar->OnApplyAlign = [](TSpeedBar *, TAlign align, bool &apply) { apply = align != alLeft; };
    scene.bar->MouseDown(Qt::LeftButton, Qt::NoModifier, 200, 10);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 200, 20);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 380, 150);
    const QRect rightFrame = scene.bar->DragFrameRect();
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 20, 150);
    EXPECT_EQ(scene.bar->DragFrameRect(), rightFrame);
    scene.bar->MouseUp(Qt::LeftButton, 20, 150);
    EXPECT_EQ(scene.bar->Align(), alRight);
}

TEST(SpeedbarCustomize, ResizingGivesWholeRows) {
    BarScene scene;
    ChangeRecorder window;
    scene.bar->SetOptions(scene.bar->Options() | sbAllowResize);
    scene.bar->SetEditing(&window);
    EXPECT_FALSE(scene.bar->CheckResize(Qt::NoModifier, 100, 10));
    ASSERT_TRUE(scene.bar->CheckResize(Qt::NoModifier, 100, 28));
    scene.bar->MouseDown(Qt::LeftButton, Qt::NoModifier, 100, 28);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 100, 60);
    EXPECT_EQ(scene.bar->height(), 52);
    scene.bar->MouseMove(Qt::LeftButton, Qt::NoModifier, 100, 10);
    EXPECT_EQ(scene.bar->height(), 29);
    scene.bar->MouseUp(Qt::LeftButton, 100, 10);
    EXPECT_FALSE(scene.bar->Resizing());
}

TEST(SpeedbarCustomize, DraggingAButtonOffAndOnTheBar) {
    BarScene scene;
    scene.form.show();
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 3, 3);
    ChangeRecorder window;
    scene.bar->SetEditing(&window);
    TSpeedbarButton *button = item->Button();

    button->DragPress();
    ASSERT_NE(button->DragImage(), nullptr);
    const QPoint outside = scene.bar->mapToGlobal(QPoint(200, 200));
    button->DragMove(outside);
    button->DragRelease(outside);
    EXPECT_FALSE(item->Visible());
    ASSERT_EQ(window.changes.size(), 1);
    EXPECT_EQ(window.changes[0], qMakePair(int(sbcItemsChanged), static_cast<QObject *>(scene.bar)));

    // The pointer holds the image by its bottom-right corner: the corner lands at (40, 5).
    item->SetVisible(true);
    button->DragPress();
    button->DragRelease(scene.bar->mapToGlobal(QPoint(40 + 24, 5 + 23)));
    EXPECT_TRUE(item->Visible());
    EXPECT_EQ(item->Button()->pos(), QPoint(43, 3));
    ASSERT_EQ(window.changes.size(), 2);
    EXPECT_EQ(window.changes[1], qMakePair(int(sbcItemMoved), static_cast<QObject *>(item)));
}

TEST(SpeedbarCustomize, CustomiseModeRaisesTheButtons) {
    BarScene scene;
    scene.bar->SetOptions(scene.bar->Options() | sbFlatBtns);
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 3, 3);
    item->SetEnabled(false);
    int customized = 0;
    scene.bar->OnCustomize = [&](TSpeedBar *) { ++customized; };
    ChangeRecorder window;
    scene.bar->SetEditing(&window);
    EXPECT_TRUE(item->Button()->isEnabled());
    EXPECT_FALSE(item->Button()->Flat());
    scene.bar->SetEditing(nullptr);
    EXPECT_FALSE(item->Button()->isEnabled());
    EXPECT_TRUE(item->Button()->Flat());
    EXPECT_EQ(customized, 1);
}

class SpeedbarLayoutTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    QString fileName = folder.filePath(QStringLiteral("R9.ini"));
    QString section = QStringLiteral("Bar");

    QByteArray FileText() {
        QFile file(fileName);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void WriteFile(const QByteArray &text) {
        QFile file(fileName);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
};

TEST_F(SpeedbarLayoutTest, KeysAreWrittenInTheirOrder) {
    BarScene scene;
    scene.Shown(QStringLiteral("BtnOpen"), 3, 3);
    scene.Shown(QStringLiteral("BtnSave"), 27, 3);
    scene.Shown(QStringLiteral("BtnTemp"), 51, 3)->SetStored(false);
    scene.Item(QStringLiteral("BtnHidden"));
    TIniFile ini(fileName);
    scene.bar->InternalSaveLayout(&ini, section);
    EXPECT_EQ(FileText(), QByteArray("[Bar]\r\nPosition=1\r\nWidth=29\r\nVersion=0\r\nPixelsPerInch=96\r\n"
                                     "BtnWidth=24\r\nBtnHeight=23\r\nButton1=BtnOpen,3,3\r\nButton2=BtnSave,27,3\r\n"
                                     "Count=2\r\n"));
}

TEST_F(SpeedbarLayoutTest, RestoringPlacesTheButtons) {
    WriteFile("[Bar]\r\nPosition=1\r\nVersion=0\r\nPixelsPerInch=96\r\nButton1=BtnOpen, 40 ,x\r\n"
              "Button2=BtnSave,0,3\r\nButton3=Nobody,5,5\r\nButton4=\r\nCount=4\r\n");
    BarScene scene;
    TSpeedItem *open = scene.Item(QStringLiteral("BtnOpen"));
    open->SetTop(3);
    TSpeedItem *save = scene.Item(QStringLiteral("BtnSave"));
    TSpeedItem *other = scene.Shown(QStringLiteral("Other"), 60, 3);
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_TRUE(open->Visible());
    EXPECT_EQ(open->Button()->pos(), QPoint(40, 3));
    EXPECT_TRUE(save->Visible());
    EXPECT_EQ(save->Button()->pos(), QPoint(3, 3));
    EXPECT_FALSE(other->Visible());
}

TEST_F(SpeedbarLayoutTest, ACountOfZeroLeavesTheButtons) {
    WriteFile("[Bar]\r\nPosition=1\r\nVersion=0\r\nPixelsPerInch=96\r\nCount=0\r\n");
    BarScene scene;
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 27, 3);
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_TRUE(item->Visible());
}

TEST_F(SpeedbarLayoutTest, AnOlderVersionIsIgnoredANewerOneAccepted) {
    WriteFile("[Bar]\r\nPosition=3\r\nVersion=0\r\nPixelsPerInch=96\r\nCount=0\r\n");
    BarScene scene;
    scene.bar->SetVersion(1);
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->Align(), alTop);
    WriteFile("[Bar]\r\nPosition=3\r\nVersion=2\r\nPixelsPerInch=96\r\nCount=0\r\n");
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->Align(), alLeft);
}

TEST_F(SpeedbarLayoutTest, ARefusedPositionDocksAtTheTop) {
    WriteFile("[Bar]\r\nPosition=5\r\n");
    BarScene scene;
    scene.bar->SetAlign(alBottom);
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->Align(), alTop);
}

TEST_F(SpeedbarLayoutTest, TheThicknessOnlyWithResizing) {
    WriteFile("[Bar]\r\nPosition=1\r\nWidth=52\r\nPixelsPerInch=96\r\n");
    BarScene scene;
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->height(), 29);
    scene.bar->SetOptions(scene.bar->Options() | sbAllowResize);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->height(), 52);
}

TEST_F(SpeedbarLayoutTest, AnotherResolutionRestoresOnlyTheSide) {
    WriteFile("[Bar]\r\nPosition=2\r\nWidth=52\r\nPixelsPerInch=120\r\nButton1=A,51,3\r\nCount=1\r\n");
    BarScene scene;
    scene.bar->SetOptions(scene.bar->Options() | sbAllowResize);
    TSpeedItem *item = scene.Shown(QStringLiteral("A"), 3, 3);
    int posChanged = 0;
    scene.bar->OnPosChanged = [&](TSpeedBar *) { ++posChanged; };
    TIniFile ini(fileName);
    scene.bar->InternalRestoreLayout(&ini, section);
    EXPECT_EQ(scene.bar->Align(), alBottom);
    EXPECT_EQ(posChanged, 1);
    EXPECT_EQ(scene.bar->height(), 29);
    EXPECT_EQ(item->Button()->pos(), QPoint(3, 3));
}

TEST(SpeedbarSetup, OneWindowPerBar) {
    BarScene first;
    BarScene second;
    first.Item(QStringLiteral("A"));
    TSpeedbarSetupWindow *window = ShowSpeedbarSetupWindow(first.bar, 0);
    EXPECT_EQ(ShowSpeedbarSetupWindow(first.bar, 0), window);
    TSpeedbarSetupWindow *other = ShowSpeedbarSetupWindow(second.bar, 0);
    EXPECT_NE(other, window);
    EXPECT_TRUE(first.bar->GetEditing());
    EXPECT_EQ(window->SectionList->rowCount(), 1);
    EXPECT_EQ(window->ButtonsList->rowCount(), 1);
    window->close();
    other->close();
}

TEST(SpeedbarSetup, TheHelpButtonFollowsTheHelpContext) {
    BarScene scene;
    TSpeedbarSetupWindow *window = ShowSpeedbarSetupWindow(scene.bar, 0);
    EXPECT_TRUE(window->HelpBtn->isHidden());
    window = ShowSpeedbarSetupWindow(scene.bar, 12);
    EXPECT_FALSE(window->HelpBtn->isHidden());
    int asked = 0;
    TSpeedbarSetupWindow::OnHelp = [&](int context) { asked = context; };
    window->HelpBtn->click();
    TSpeedbarSetupWindow::OnHelp = nullptr;
    EXPECT_EQ(asked, 12);
    window->close();
}

TEST(SpeedbarSetup, ClosingEndsCustomiseModeAndDestroyingTheBarClosesIt) {
    auto scene = std::make_unique<BarScene>();
    TSpeedItem *item = scene->Shown(QStringLiteral("A"), 3, 3);
    scene->bar->SetOptions(scene->bar->Options() | sbFlatBtns);
    int customized = 0;
    scene->bar->OnCustomize = [&](TSpeedBar *) { ++customized; };
    QPointer<TSpeedbarSetupWindow> window = ShowSpeedbarSetupWindow(scene->bar, 0);
    EXPECT_FALSE(item->Button()->Flat());
    window->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_TRUE(item->Button()->Flat());
    EXPECT_EQ(customized, 1);

    window = ShowSpeedbarSetupWindow(scene->bar, 0);
    scene.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
}

TEST(SpeedbarSetup, ListRowsFollowTheButtonHeight) {
    BarScene scene;
    scene.Item(QStringLiteral("A"));
    TSpeedbarSetupWindow *window = ShowSpeedbarSetupWindow(scene.bar, 0);
    EXPECT_EQ(window->ButtonsList->rowHeight(0), 25);
    scene.bar->SetBtnHeight(30);
    EXPECT_EQ(window->ButtonsList->verticalHeader()->defaultSectionSize(), 32);
    window->close();
}

TEST(SpeedbarSetup, APressOnTheCaptionStartsNoDrag) {
    BarScene scene;
    scene.form.show();
    TSpeedItem *item = scene.Item(QStringLiteral("A"));
    TSpeedbarSetupWindow *window = ShowSpeedbarSetupWindow(scene.bar, 0);
    window->ButtonsListMouseDown(Qt::LeftButton, QPoint(60, 5));
    EXPECT_FALSE(window->Dragging());
    window->ButtonsListMouseDown(Qt::LeftButton, QPoint(5, 5));
    EXPECT_EQ(window->DragItem(), item);
    // Dropped with its corner at (40, 5) of the bar.
    window->ButtonsListMouseUp(Qt::LeftButton, scene.bar->mapToGlobal(QPoint(40 + 24, 5 + 23)));
    EXPECT_TRUE(item->Visible());
    EXPECT_EQ(item->Button()->pos(), QPoint(43, 3));
    window->close();
}

} // namespace

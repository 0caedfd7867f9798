#include "controls/RxCheckListBox.h"

#include "controls/LibraryErrors.h"
#include "controls/Placemnt.h"
#include "platform/IniFile.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>

#include <vector>

namespace {

// A shown list of five rows with its events counted, as the settings window's preset lists are set up.
struct CheckList {
    QWidget form;
    TRxCheckListBox *list = new TRxCheckListBox(&form);
    std::vector<int> stateChanges;
    int clickChecks = 0;

    CheckList() {
        form.resize(220, 160);
        list->setObjectName(QStringLiteral("LB_ShopFreq"));
        list->setGeometry(0, 0, 200, 150);
        list->SetMultiSelect(true);
        for (const char *text : {"100", "200", "300", "400", "500"})
            list->addItem(QString::fromLatin1(text));
        list->OnStateChange = [this](TRxCheckListBox *, int index) { stateChanges.push_back(index); };
        list->OnClickCheck = [this](TRxCheckListBox *) { ++clickChecks; };
        form.show();
        QApplication::processEvents();
    }

    std::vector<TCheckBoxState> States() const {
        std::vector<TCheckBoxState> states;
        for (int i = 0; i < list->count(); ++i)
            states.push_back(list->GetState(i));
        return states;
    }
    void Press(int row, int x, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        const QRect rect = list->ItemRect(row);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, keys, QPoint(rect.left() + x, rect.center().y()));
    }
    void Key(char character) {
        QTest::keyClick(list, character == ' ' ? Qt::Key_Space : character == '+' ? Qt::Key_Plus : Qt::Key_Minus,
                        Qt::NoModifier);
    }
};

constexpr TCheckBoxState U = cbUnchecked;
constexpr TCheckBoxState C = cbChecked;
constexpr TCheckBoxState G = cbGrayed;

TEST(RxCheckListBox, ARowWithoutStateReadsUncheckedAndEnabledAndAChangeFiresOnce) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    EXPECT_FALSE(list.GetChecked(0));
    EXPECT_TRUE(list.GetItemEnabled(0));
    EXPECT_EQ(list.GetState(0), cbUnchecked);
    EXPECT_EQ(list.CheckedIndex(), -1);

    list.SetChecked(1, true);
    list.SetChecked(1, true);
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({1}));
    list.SetState(2, cbGrayed);
    list.SetState(2, TCheckBoxState(7)); // no state: ignored
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({U, C, G, U, U}));
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({1, 2}));
    EXPECT_EQ(fixture.clickChecks, 0);
}

TEST(RxCheckListBox, AnIndexOutsideTheListRaisesTheListIndexError) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    try {
        list.GetChecked(5);
        ADD_FAILURE() << "no error";
    } catch (const EStringListError &error) {
        EXPECT_EQ(error.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list.SetChecked(-1, true), EStringListError);
    EXPECT_THROW(list.SetItemEnabled(5, false), EStringListError);
    EXPECT_THROW(list.GetSelected(5), EStringListError);
    EXPECT_THROW(list.SetSelected(-1, true), EStringListError);
    EXPECT_TRUE(fixture.stateChanges.empty());
    list.ToggleClickCheck(5); // the user's toggle ignores it
    EXPECT_EQ(fixture.clickChecks, 0);
}

TEST(RxCheckListBox, TheRadioKindKeepsOneRowCheckedWithoutEventsForTheOthers) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetChecked(2, true);
    list.SetChecked(4, true);
    list.SetState(3, cbGrayed);
    fixture.stateChanges.clear();

    list.SetAllowGrayed(true);
    list.SetCheckKind(ckRadioButtons);
    EXPECT_FALSE(list.AllowGrayed());
    // Switching keeps the first checked row; its event fires although it was checked before.
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({U, U, C, U, U}));
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({2}));
    EXPECT_EQ(list.CheckedIndex(), 2);

    list.SetChecked(3, true);
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({U, U, U, C, U}));
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({2, 3}));
    list.SetChecked(3, false); // the checked row cannot be unchecked directly
    EXPECT_EQ(list.CheckedIndex(), 3);
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({2, 3}));
    list.UpdateCheckStates(); // fires for the checked row even though nothing changes
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({2, 3, 3}));

    list.SetCheckedIndex(-4);
    EXPECT_EQ(list.CheckedIndex(), 0);
    list.ApplyState(cbChecked, false); // not for radio buttons
    EXPECT_EQ(list.CheckedIndex(), 0);
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({C, U, U, U, U}));

    // A click on the checked row changes nothing but is still a click on a check.
    fixture.clickChecks = 0;
    fixture.Press(0, 5);
    EXPECT_EQ(list.CheckedIndex(), 0);
    EXPECT_EQ(fixture.clickChecks, 1);
    fixture.Press(4, 5);
    EXPECT_EQ(list.CheckedIndex(), 4);
}

TEST(RxCheckListBox, SpaceCyclesThroughGrayedWhenAllowed) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetAllowGrayed(true);
    list.setFocus();
    list.SetItemIndex(1);
    std::vector<TCheckBoxState> seen;
    for (int press = 0; press < 3; ++press) {
        fixture.Key(' ');
        seen.push_back(list.GetState(1));
    }
    EXPECT_EQ(seen, std::vector<TCheckBoxState>({G, C, U}));
    EXPECT_EQ(fixture.clickChecks, 3);
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({1, 1, 1}));
    EXPECT_EQ(list.GetItemIndex(), 1); // space moved nothing

    list.SetAllowGrayed(false);
    fixture.Key(' ');
    EXPECT_EQ(list.GetState(1), cbChecked);
}

TEST(RxCheckListBox, ADisabledRowIsSelectableButNeverToggles) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetItemEnabled(2, false);
    list.setFocus();

    fixture.Press(2, 5); // in the check strip
    EXPECT_TRUE(list.GetSelected(2));
    EXPECT_EQ(list.GetItemIndex(), 2);
    EXPECT_EQ(list.GetState(2), cbUnchecked);
    fixture.Key(' ');
    EXPECT_EQ(list.GetState(2), cbUnchecked);
    EXPECT_EQ(fixture.clickChecks, 0);
    EXPECT_TRUE(fixture.stateChanges.empty());

    // '+' and '-' act on the enabled rows only, with one click event each.
    fixture.Key('+');
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({C, C, U, C, C}));
    EXPECT_EQ(fixture.clickChecks, 1);
    list.SetItemEnabled(2, true);
    list.SetChecked(2, true);
    list.SetItemEnabled(0, false);
    fixture.Key('-');
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({C, U, U, U, U}));
    EXPECT_EQ(fixture.clickChecks, 2);
}

TEST(RxCheckListBox, OnlyAPressInTheCheckStripToggles) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    struct Case {
        int x;
        bool toggles;
    };
    for (const Case &press : {Case{5, true}, Case{17, true}, Case{18, false}, Case{30, false}}) {
        list.SetChecked(3, false);
        list.clearSelection();
        fixture.clickChecks = 0;
        fixture.Press(3, press.x);
        EXPECT_EQ(list.GetChecked(3), press.toggles) << press.x;
        EXPECT_EQ(fixture.clickChecks, press.toggles ? 1 : 0) << press.x;
        EXPECT_TRUE(list.GetSelected(3)) << press.x; // a press selects as in any list box
    }
    // The right button neither toggles nor counts as a click on a check.
    fixture.clickChecks = 0;
    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, list.ItemRect(1).topLeft() + QPoint(5, 3));
    EXPECT_FALSE(list.GetChecked(1));
    EXPECT_EQ(fixture.clickChecks, 0);
    // A press below the rows toggles nothing.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, list.ItemRect(5).topLeft() + QPoint(5, 3));
    EXPECT_EQ(fixture.clickChecks, 0);
}

TEST(RxCheckListBox, ARightToLeftListTogglesInTheStripAtTheRight) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.setLayoutDirection(Qt::RightToLeft);
    QApplication::processEvents();
    const QRect rect = list.ItemRect(1);
    const int stripLeft = rect.left() + rect.width() - list.GetCheckWidth();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(rect.left() + 5, rect.center().y()));
    EXPECT_FALSE(list.GetChecked(1));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(stripLeft + 5, rect.center().y()));
    EXPECT_TRUE(list.GetChecked(1));
}

TEST(RxCheckListBox, MovedRowsKeepTheirStatesAndEnabledFlags) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetChecked(0, true);
    list.SetItemEnabled(1, false);
    list.item(0)->setData(Qt::UserRole, 42);
    list.Exchange(0, 1);
    EXPECT_EQ(list.item(0)->text(), "200");
    EXPECT_FALSE(list.GetItemEnabled(0));
    EXPECT_FALSE(list.GetChecked(0));
    EXPECT_EQ(list.item(1)->text(), "100");
    EXPECT_TRUE(list.GetChecked(1));
    EXPECT_TRUE(list.GetItemEnabled(1));
    EXPECT_EQ(list.item(1)->data(Qt::UserRole).toInt(), 42);

    list.Move(1, 3);
    EXPECT_EQ(list.item(3)->text(), "100");
    EXPECT_TRUE(list.GetChecked(3));
    EXPECT_EQ(list.item(1)->text(), "300");
    EXPECT_FALSE(list.GetChecked(1));

    // Sorting and switching the selection kind keep every row's state with its text.
    list.SetSorted(true);
    EXPECT_EQ(list.item(0)->text(), "100");
    EXPECT_TRUE(list.GetChecked(0));
    EXPECT_FALSE(list.GetItemEnabled(1));
    list.SetMultiSelect(false);
    EXPECT_TRUE(list.GetChecked(0));
    EXPECT_EQ(fixture.stateChanges.size(), 1u);
}

TEST(RxCheckListBox, SelectionOfASingleAndAMultiSelectList) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetSelected(1, true);
    list.SetSelected(3, true);
    EXPECT_EQ(list.GetSelCount(), 2);
    list.SetItemIndex(4); // the current row moves, the selection stays
    EXPECT_EQ(list.GetItemIndex(), 4);
    EXPECT_EQ(list.GetSelCount(), 2);
    list.SetSelected(1, false);
    EXPECT_FALSE(list.GetSelected(1));
    EXPECT_TRUE(list.GetSelected(3));

    list.SetMultiSelect(false);
    list.SetSelected(2, true);
    EXPECT_EQ(list.GetItemIndex(), 2);
    list.SetSelected(1, false); // not the current row: nothing
    EXPECT_EQ(list.GetItemIndex(), 2);
    list.SetSelected(2, false);
    EXPECT_EQ(list.GetItemIndex(), -1);
}

TEST(RxCheckListBox, RowRectanglesAndHitsBelowTheRows) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    const QRect last = list.ItemRect(4);
    EXPECT_EQ(list.ItemRect(5), last.translated(0, last.height()));
    EXPECT_EQ(list.ItemRect(6), QRect(0, 0, 0, 0));
    EXPECT_EQ(list.ItemRect(-1), QRect(0, 0, 0, 0));
    const QPoint below = list.ItemRect(5).center();
    EXPECT_EQ(list.ItemAtPos(below, true), -1);
    EXPECT_EQ(list.ItemAtPos(below, false), 5);
    EXPECT_EQ(list.ItemAtPos(last.center(), true), 4);
    EXPECT_EQ(list.ItemAtPos(QPoint(-1, 2), false), -1);
    EXPECT_EQ(list.ItemRect(0).height(), list.GetItemHeight());

    list.clear();
    EXPECT_EQ(list.ItemRect(0), QRect(0, 0, list.viewport()->width(), list.GetItemHeight()));
}

TEST(RxCheckListBox, StandardRowsFollowTheFontButAreAtLeastACheckCellHigh) {
    struct Case {
        TListBoxStyle style;
        int pixelSize;
    };
    for (const Case &row : {Case{lbStandard, 6}, Case{lbStandard, 24}, Case{lbOwnerDrawFixed, 6},
                            Case{lbOwnerDrawFixed, 24}}) {
        CheckList fixture;
        TRxCheckListBox &list = *fixture.list;
        list.SetItemHeight(16);
        list.SetStyle(row.style);
        QFont font = list.font();
        font.setPixelSize(row.pixelSize);
        list.setFont(font);
        QApplication::processEvents();
        const int textHeight = QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("Wg")).height();
        const int least = row.style == lbStandard ? 13 : 16;
        const int expected = std::max(textHeight, least);
        EXPECT_EQ(list.ItemRect(1).height(), expected) << row.style << ' ' << row.pixelSize;
        EXPECT_EQ(list.ItemRect(1).top() - list.ItemRect(0).top(), expected);
        EXPECT_EQ(list.GetItemHeight(), expected);
    }
    // Five small rows fit the list: no vertical scroll bar.
    CheckList fixture;
    EXPECT_FALSE(fixture.list->verticalScrollBar()->isVisible());
}

TEST(RxCheckListBox, TheExtentIncludesTheCheckStrip) {
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    EXPECT_TRUE(list.AutoScroll());
    const QString text = QStringLiteral("a row far too long for the list to show it whole at once");
    list.addItem(text);
    EXPECT_EQ(list.HorizontalExtent(), QFontMetrics(list.font()).horizontalAdvance(text + u'x') + 18);
    QApplication::processEvents();
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), list.HorizontalExtent() - list.viewport()->width());
    list.clear();
    EXPECT_EQ(list.HorizontalExtent(), 0);
}

TEST(RxCheckListBox, StatesSaveToAndRestoreFromTheListsSection) {
    TempProgramDir dir;
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    while (list.count() > 3)
        delete list.takeItem(list.count() - 1);
    list.SetChecked(1, true);
    list.SetState(2, cbGrayed);
    const QString section = QStringLiteral("QWidgetLB_ShopFreq");
    ini.WriteString(section, QStringLiteral("Stale"), QStringLiteral("1"));
    list.SaveStates(&ini);
    EXPECT_EQ(ini.ReadSectionValues(section), QStringList({"Count=3", "Item0=0", "Item1=1", "Item2=2"}));

    // More stored rows than the list has: only the list's rows are read.
    ini.WriteInteger(section, QStringLiteral("Count"), 5);
    ini.WriteInteger(section, QStringLiteral("Item3"), 1);
    delete list.takeItem(2);
    list.SetChecked(1, false);
    list.SetChecked(0, true);
    fixture.stateChanges.clear();
    list.RestoreStates(&ini);
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({U, C}));
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({0, 1}));
}

TEST(RxCheckListBox, StoredStatesThatAreNoStatesAreIgnored) {
    TempProgramDir dir;
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetChecked(0, true);
    list.SetState(1, cbGrayed);
    const QString section = QStringLiteral("QWidgetLB_ShopFreq");
    for (const auto &[key, value] : std::vector<std::pair<const char *, const char *>>{
             {"Count", "4"}, {"Item0", "3"}, {"Item1", "-1"}, {"Item2", "1"}, {"Item3", "255"}})
        ini.WriteString(section, QString::fromLatin1(key), QString::fromLatin1(value));
    fixture.stateChanges.clear();
    list.RestoreStates(&ini);
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({C, G, C, U, U}));
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({2}));
}

// Row 0, checked by the switch to radio buttons, must not end the restore before the stored choice.
TEST(RxCheckListBox, ARadioListRestoresUpToItsFirstStoredCheckedRow) {
    TempProgramDir dir;
    TIniFile ini(dir.path(QStringLiteral("R9.ini")));
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    list.SetCheckKind(ckRadioButtons);
    const QString section = QStringLiteral("QWidgetLB_ShopFreq");
    for (const auto &[key, value] : std::vector<std::pair<const char *, int>>{
             {"Count", 5}, {"Item0", 0}, {"Item1", 2}, {"Item2", 1}, {"Item3", 1}, {"Item4", 0}})
        ini.WriteInteger(section, QString::fromLatin1(key), value);
    fixture.stateChanges.clear();
    list.RestoreStates(&ini);
    EXPECT_EQ(fixture.stateChanges, std::vector<int>({1, 2})); // rows 3 and 4 are not read
    EXPECT_EQ(list.CheckedIndex(), 2);
    EXPECT_EQ(fixture.States(), std::vector<TCheckBoxState>({U, U, C, U, U}));
}

TEST(RxCheckListBox, ThePlacementStoreSavesAndRestoresTheStatesOfANamedList) {
    TempProgramDir dir;
    const QString fileName = dir.path(QStringLiteral("R9.ini"));
    CheckList fixture;
    TRxCheckListBox &list = *fixture.list;
    TFormPlacement store(&fixture.form);
    store.SetActive(false);
    store.SetIniFileName(fileName);
    store.SetIniSection(QStringLiteral("Настройки прибора"));
    list.SetIniStorage(&store);
    list.SetChecked(3, true);
    store.SaveFormPlacement();
    const QString section = QStringLiteral("Настройки прибора\\QWidgetLB_ShopFreq");
    EXPECT_EQ(TIniFile(fileName).ReadInteger(section, QStringLiteral("Item3"), -1), 1);

    list.SetChecked(3, false);
    store.RestoreFormPlacement();
    EXPECT_TRUE(list.GetChecked(3));

    // Without a name the list has no section of its own and stays out of the file.
    list.setObjectName(QString());
    list.SetChecked(3, false);
    store.RestoreFormPlacement();
    EXPECT_FALSE(list.GetChecked(3));
}

// The three kinds side by side, with checked, grayed, disabled and selected rows (R9_SCREENSHOTS=<folder>
// keeps the picture).
TEST(RxCheckListBox, EveryKindDrawsItsCellsInTheListsOwnColour) {
    QWidget window;
    window.resize(480, 130);
    std::vector<TRxCheckListBox *> lists;
    for (TCheckKind kind : {ckCheckBoxes, ckRadioButtons, ckCheckMarks}) {
        auto *list = new TRxCheckListBox(&window);
        list->setGeometry(10 + 155 * int(kind), 10, 145, 110);
        list->SetMultiSelect(true);
        list->SetAllowGrayed(true);
        for (const char *text : {"1000.000", "2000.000", "3000.000", "4000.000", "5000.000"})
            list->addItem(QString::fromLatin1(text));
        list->SetState(1, cbChecked);
        list->SetState(2, cbGrayed);
        list->SetItemEnabled(3, false);
        list->SetCheckKind(kind);
        list->SetSelected(1, true);
        list->SetSelected(3, true);
        lists.push_back(list);
    }
    window.show();
    QApplication::processEvents();
    SaveScreenshot(window, QStringLiteral("check_list_box"));

    for (TRxCheckListBox *list : lists) {
        const QImage image = list->viewport()->grab().toImage();
        const QColor base = list->palette().color(QPalette::Base);
        const QRect selected = list->ItemRect(1);
        // The strip keeps the list's colour on a selected row; the text side has the highlight.
        EXPECT_EQ(image.pixelColor(selected.left() + 1, selected.top() + 1), base) << list->CheckKind();
        EXPECT_EQ(image.pixelColor(selected.left() + 30, selected.top() + 1),
                  list->palette().color(QPalette::Highlight))
            << list->CheckKind();
        // A checked cell differs from an unchecked one.
        EXPECT_NE(image.copy(list->ItemRect(1).adjusted(0, 0, 18 - list->ItemRect(1).width(), 0)),
                  image.copy(list->ItemRect(4).adjusted(0, 0, 18 - list->ItemRect(4).width(), 0)))
            << list->CheckKind();
    }
}

} // namespace

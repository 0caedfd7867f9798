#include "controls/RxctrlsListBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <vector>

namespace {

// A shown list of `rows` numbered rows.
struct NumberedList {
    QWidget form;
    TRxCustomListBox *list = new TRxCustomListBox(&form);

    explicit NumberedList(int rows) {
        form.resize(200, 200);
        list->setGeometry(0, 0, 150, 120);
        for (int i = 0; i < rows; ++i)
            list->addItem(QString::number(i));
        form.show();
        QApplication::processEvents();
    }
};

TEST(RxCustomListBoxRows, OwnerDrawnRowsTakeTheirHeightFromTheListOrItsOwner) {
    NumberedList fixture(4);
    TRxCustomListBox &list = *fixture.list;
    std::vector<QRect> drawn;
    list.SetOnDrawItem([&drawn](TRxCustomListBox *, int, QPainter *, const QRect &rect) { drawn.push_back(rect); });

    list.SetStyle(lbOwnerDrawFixed);
    list.SetItemHeight(21);
    list.SetItemHeight(0); // ignored
    EXPECT_EQ(list.ItemHeight(), 21);
    QApplication::processEvents();
    EXPECT_EQ(list.ItemRect(2), QRect(0, 42, list.viewport()->width(), 21));
    EXPECT_FALSE(drawn.empty()); // the handler draws the rows on screen

    list.SetOnMeasureItem([](TRxCustomListBox *, int index, int &height) { height = 10 + 5 * index; });
    list.SetStyle(lbOwnerDrawVariable);
    QApplication::processEvents();
    EXPECT_EQ(list.ItemRect(1).top(), 10);
    EXPECT_EQ(list.ItemRect(1).height(), 15);
    EXPECT_EQ(list.ItemRect(3).top(), 10 + 15 + 20);
}

TEST(RxCustomListBoxRows, PaintingIntoAPainterDrawsTheRowsThatFitFromTheTopRow) {
    NumberedList fixture(12);
    TRxCustomListBox &list = *fixture.list;
    std::vector<std::pair<int, QRect>> drawn;
    list.SetStyle(lbOwnerDrawFixed);
    list.SetOnDrawItem([&drawn](TRxCustomListBox *, int index, QPainter *, const QRect &rect) {
        drawn.emplace_back(index, rect);
    });
    list.SetTopIndex(3);
    EXPECT_EQ(list.GetTopIndex(), 3);
    drawn.clear();
    QImage image(list.size(), QImage::Format_ARGB32);
    QPainter painter(&image);
    list.PaintItems(&painter);
    // Rows of ItemHeight (16) from y = 0 while y is inside the control's 120 pixels: eight rows.
    ASSERT_EQ(drawn.size(), 8u);
    EXPECT_EQ(drawn.front(), std::make_pair(3, QRect(0, 0, list.width(), 16)));
    EXPECT_EQ(drawn.back(), std::make_pair(10, QRect(0, 112, list.width(), 16)));
}

TEST(RxCustomListBoxRows, WithoutAnExtentRowsSpanTheClientWidthAndDoNotScrollSideways) {
    NumberedList fixture(3);
    TRxCustomListBox &list = *fixture.list;
    list.addItem(QStringLiteral("a row much too long for a list of one hundred and fifty pixels"));
    QApplication::processEvents();
    EXPECT_FALSE(list.AutoScroll());
    EXPECT_EQ(list.ItemRect(0).width(), list.viewport()->width());
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    list.SetAutoScroll(true);
    QApplication::processEvents();
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), list.HorizontalExtent() - list.viewport()->width());
    EXPECT_EQ(list.ItemRect(0).width(), list.HorizontalExtent());
}

TEST(RxCustomListBoxRows, ColumnsShareTheWidth) {
    NumberedList fixture(20);
    TRxCustomListBox &list = *fixture.list;
    list.SetColumns(2);
    QApplication::processEvents();
    EXPECT_EQ(list.ItemRect(0).width(), (150 + 2 - 3) / 2);
    EXPECT_EQ(list.ItemRect(0).left(), 0);
    int firstOfSecond = 1;
    while (firstOfSecond < list.count() && list.ItemRect(firstOfSecond).left() == 0)
        ++firstOfSecond;
    ASSERT_LT(firstOfSecond, list.count());
    EXPECT_EQ(list.ItemRect(firstOfSecond).topLeft(), QPoint(list.ItemRect(0).width(), 0));
}

TEST(RxCustomListBoxRows, AnIntegralHeightListShowsOnlyWholeRows) {
    NumberedList fixture(20);
    TRxCustomListBox &list = *fixture.list;
    list.SetIntegralHeight(true);
    const int rowHeight = list.GetItemHeight();
    for (int height : {100, 101, 117, 140}) {
        list.resize(150, height);
        EXPECT_EQ(list.viewport()->height() % rowHeight, 0) << height;
        EXPECT_GT(list.height(), height - rowHeight) << height;
    }
}

TEST(RxCustomListBoxKeys, OnKeyDownSeesTheKeyFirstAndMaySwallowIt) {
    NumberedList fixture(5);
    TRxCustomListBox &list = *fixture.list;
    list.SetMultiSelect(true);
    std::vector<int> keys;
    list.OnKeyDown = [&keys](TRxCustomListBox *, int &key, Qt::KeyboardModifiers modifiers) {
        keys.push_back(key);
        if (key == Qt::Key_A && modifiers == Qt::ControlModifier)
            key = 0;
    };
    QTest::keyClick(&list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list.GetSelCount(), 0);
    list.SetItemIndex(1);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.GetItemIndex(), 2);
    std::erase(keys, int(Qt::Key_Control)); // the modifier's own press
    EXPECT_EQ(keys, std::vector<int>({Qt::Key_A, Qt::Key_Down}));
}

TEST(RxCustomListBoxRows, GraySelectionShowsTheButtonFaceWithoutTheFocus) {
    NumberedList fixture(3);
    TRxCustomListBox &list = *fixture.list;
    QPalette colors = list.palette();
    colors.setColor(QPalette::Highlight, QColor(0, 0, 200));
    colors.setColor(QPalette::Button, QColor(200, 200, 200));
    list.setPalette(colors);
    list.SetSelected(1, true);
    const QPoint inside = list.ItemRect(1).topLeft() + QPoint(list.ItemRect(1).width() - 3, 2);
    auto shown = [&list, inside] { return list.viewport()->grab().toImage().pixelColor(inside); };
    list.clearFocus();
    EXPECT_EQ(shown(), QColor(0, 0, 200));
    list.SetGraySelection(true);
    EXPECT_EQ(shown(), QColor(200, 200, 200));
}

TEST(RxCustomListBoxRows, SetItemsCopiesTextsAndData) {
    NumberedList fixture(2);
    QListWidget source;
    source.addItem(QStringLiteral("x"));
    source.item(0)->setData(Qt::UserRole, 7);
    fixture.list->SetItems(source);
    ASSERT_EQ(fixture.list->count(), 1);
    EXPECT_EQ(fixture.list->item(0)->text(), "x");
    EXPECT_EQ(fixture.list->item(0)->data(Qt::UserRole).toInt(), 7);
}

} // namespace

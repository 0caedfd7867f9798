#include "shell/Form_messagebox.h"

#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

// Runs the action on the box once it is up in its modal loop.
void WhenShown(std::function<void(TForm_MesBox *)> action) {
    QTimer::singleShot(0, [action] {
        auto *box = qobject_cast<TForm_MesBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        action(box);
    });
}

int Ask() {
    return AskWithMesBox(QStringLiteral("Внимание!"), QStringLiteral("Файл найден в двух каталогах"),
                         QStringLiteral("1."), QStringLiteral("2."), QStringLiteral("Отмена"));
}

TEST(Form_MesBox, ShowsCaptionTextAndThreeButtonsWithoutACloseIcon) {
    TForm_MesBox box(QStringLiteral("Внимание!"), QStringLiteral("Текст\nвторая строка"), QStringLiteral("1."),
                     QStringLiteral("2."), QStringLiteral("Отмена"));
    EXPECT_EQ(box.windowTitle(), "Внимание!");
    EXPECT_EQ(box.StaticText1->text(), "Текст\nвторая строка");
    EXPECT_EQ(box.BitBtn1->text(), "1.");
    EXPECT_EQ(box.BitBtn2->text(), "2.");
    EXPECT_EQ(box.BitBtn3->text(), "Отмена");
    EXPECT_FALSE(box.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(box.size(), QSize(647, 225));
    const QPoint origin = box.Panel1->pos();
    EXPECT_EQ(box.BitBtn1->geometry().translated(origin).left(), 65);
    EXPECT_EQ(box.BitBtn2->geometry().translated(origin).left(), 245);
    EXPECT_EQ(box.BitBtn3->geometry().translated(origin).left(), 425);
}

TEST(Form_MesBox, AnswersByButtonAndThreeOnEscape) {
    const struct {
        const char *name;
        std::function<void(TForm_MesBox *)> action;
        int answer;
    } cases[] = {
        {"button 1", [](TForm_MesBox *box) { QTest::mouseClick(box->BitBtn1, Qt::LeftButton); }, 1},
        {"button 2", [](TForm_MesBox *box) { QTest::mouseClick(box->BitBtn2, Qt::LeftButton); }, 2},
        {"button 3", [](TForm_MesBox *box) { QTest::mouseClick(box->BitBtn3, Qt::LeftButton); }, 3},
        {"Esc", [](TForm_MesBox *box) { QTest::keyClick(box, Qt::Key_Escape); }, 3},
        {"closed by the window system", [](TForm_MesBox *box) { box->close(); }, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        WhenShown(c.action);
        EXPECT_EQ(Ask(), c.answer);
        EXPECT_EQ(Form_MesBox, nullptr);
    }
}

TEST(Form_MesBox, ANewQuestionReplacesAnOlderBox) {
    QPointer<TForm_MesBox> older = new TForm_MesBox(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("1"),
                                                    QStringLiteral("2"), QStringLiteral("3"));
    Form_MesBox = older;
    WhenShown([](TForm_MesBox *box) { box->BitBtn2Click(); });
    EXPECT_EQ(Ask(), 2);
    EXPECT_TRUE(older.isNull());
    EXPECT_EQ(Form_MesBox, nullptr);
}

TEST(Form_MesBox, OpensNoWindowWhileBatchControlRuns) {
    SetBatchMessageSink([](const MessageRequest &) { return int(IdOk); });
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto *box = QApplication::activeModalWidget()) {
            opened = true;
            box->close();
        }
    });
    EXPECT_EQ(Ask(), 3);
    QCoreApplication::processEvents();
    SetBatchMessageSink(nullptr);
    EXPECT_FALSE(opened);
    EXPECT_EQ(Form_MesBox, nullptr);
}

} // namespace

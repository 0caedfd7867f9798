#include "views/masks/Editmask.h"

#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "support/Screenshot.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>

#include <vector>

namespace {

constexpr int AfcKind = 4;         // "АЧХ,дБ(*.9af)"
constexpr int ReflectogramKind = 15; // distances up to 250000000 m

class MaskEditor : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return answer;
        });
        MaskEditHost.MaskDir = [this] { return dir.path(); };
        editor = new TForm_MaskEdit(nullptr, 1);
        editor->AskSaveFileName = [this](QWidget *, const QString &start, const QString &filter) {
            saveStarts.push_back(start);
            saveFilters.push_back(filter);
            return savePath;
        };
        editor->AskOpenFileName = [this](QWidget *, const QString &, const QString &) { return openPath; };
        editor->show();
    }
    void TearDown() override {
        if (editor) {
            editor->GridModified = 0;
            editor->Memo->document()->setModified(false);
            delete editor.data();
        }
        MaskEditHost = {};
        SetMessageBoxHandler({});
    }

    void ChooseKind(int row) {
        const std::vector<int> &rows = editor->KindRows();
        const int index = int(std::find(rows.begin(), rows.end(), row) - rows.begin());
        editor->ComboBox1->setCurrentIndex(index);
        editor->ComboBox1Change();
    }
    // Types the rows into the table as the user would leave them.
    void Fill(std::initializer_list<std::pair<const char *, const char *>> rows) {
        editor->StringGrid1->setRowCount(int(rows.size()));
        int row = 0;
        for (const auto &[x, y] : rows) {
            editor->StringGrid1->setItem(row, 0, new QTableWidgetItem(QString::fromUtf8(x)));
            editor->StringGrid1->setItem(row, 1, new QTableWidgetItem(QString::fromUtf8(y)));
            ++row;
        }
        editor->GridModified = 1;
    }
    QString Cell(int row, int column) const {
        const QTableWidgetItem *item = editor->StringGrid1->item(row, column);
        return item ? item->text() : QString();
    }

    TempProgramDir dir;
    QPointer<TForm_MaskEdit> editor;
    std::vector<MessageRequest> messages;
    int answer = IdOk;
    QString savePath;
    QString openPath;
    std::vector<QString> saveStarts;
    std::vector<QString> saveFilters;
};

// The weighting characteristic is edited as *.9wf; masks offer every other kind.
TEST_F(MaskEditor, ModesOfferTheirKinds) {
    ASSERT_EQ(editor->ComboBox1->count(), 20);
    for (int i = 0; i < editor->ComboBox1->count(); ++i)
        EXPECT_FALSE(editor->ComboBox1->itemText(i).contains(QStringLiteral("9wf")));
    EXPECT_EQ(editor->ComboBox1->itemText(0), QString::fromUtf8("Импульс,В(*.9vt)"));
    EXPECT_EQ(editor->ComboBox1->itemText(19), QString::fromUtf8("v(f),м/мкс(*.9vf)"));
    EXPECT_EQ(editor->StringGrid1->horizontalHeaderItem(0)->text(), QString::fromUtf8("мкс"));

    TForm_MaskEdit weighting(nullptr, 0);
    ASSERT_EQ(weighting.ComboBox1->count(), 1);
    EXPECT_EQ(weighting.ComboBox1->itemText(0), QString::fromUtf8("Взвешивающая характеристика,дБ(*.9wf)"));
    EXPECT_STREQ(weighting.Kind.Pattern, "*.9wf");
    EXPECT_EQ(weighting.windowTitle(), QString::fromUtf8("Редактор масок"));
}

TEST_F(MaskEditor, OnePointGivesMessage422AndNoFile) {
    ChooseKind(AfcKind);
    Fill({{"10", "1"}});
    savePath = dir.path(QStringLiteral("one"));
    EXPECT_FALSE(editor->SaveMaskFileAs());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QString::fromUtf8("Недостаточно значений в маске"));
    EXPECT_EQ(messages[0].caption, QString::fromUtf8("Ошибка!"));
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("one.9af"))));
    EXPECT_FALSE(QFile::exists(dir.path(QStringLiteral("one"))));
    EXPECT_EQ(editor->GridModified, 1);
}

// A comma becomes the point in the cell, a name without extension gets the kind's, the comment lines
// get their "==", and the file is windows-1251 with CR LF.
TEST_F(MaskEditor, SaveAsWritesTheCheckedTable) {
    ChooseKind(AfcKind);
    editor->Memo->setPlainText(QString::fromUtf8("==Маска АЧХ\nканал 1"));
    Fill({{"0", "-1"}, {"1,5", "2,25"}, {"5000", "3"}});
    savePath = dir.path(QStringLiteral("afc"));
    SaveScreenshot(*editor, QStringLiteral("mask_editor"));
    ASSERT_TRUE(editor->SaveMaskFileAs());

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(saveStarts.back(), dir.path(QStringLiteral("/noname")).replace(QStringLiteral("//"), QStringLiteral("/")));
    EXPECT_EQ(saveFilters.back(), QString::fromUtf8("АЧХ,дБ(*.9af)"));
    EXPECT_EQ(Cell(1, 0), "1.5");
    EXPECT_EQ(Cell(1, 1), "2.25");
    EXPECT_EQ(dir.read(QStringLiteral("afc.9af")),
              ToCp1251(QString::fromUtf8("==Маска АЧХ\r\n==канал 1\r\n0   -1\r\n1.5   2.25\r\n5000   3\r\n")));
    EXPECT_EQ(editor->Memo->toPlainText(), QString::fromUtf8("==Маска АЧХ\n==канал 1"));
    EXPECT_EQ(editor->CurrentPath, dir.path(QStringLiteral("afc.9af")));
    EXPECT_TRUE(editor->windowTitle().startsWith(QString::fromUtf8("Редактор масок:")));
    EXPECT_EQ(editor->GridModified, 0);
    EXPECT_FALSE(editor->Memo->document()->isModified());

    // Save goes to the same file without a dialog.
    editor->StringGrid1->item(2, 1)->setText(QStringLiteral("4"));
    saveStarts.clear();
    EXPECT_TRUE(editor->SaveToCurrentFile());
    EXPECT_TRUE(saveStarts.empty());
    EXPECT_TRUE(dir.read(QStringLiteral("afc.9af")).endsWith("5000   4\r\n"));
}

TEST_F(MaskEditor, ANonMonotonicTablePutsTheUserAtTheCell) {
    ChooseKind(AfcKind);
    Fill({{"1", "0"}, {"3", "0"}, {"2", "0"}});
    savePath = dir.path(QStringLiteral("bad.9af"));
    EXPECT_FALSE(editor->SaveMaskFileAs());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QString::fromUtf8("Значения по Х должны быть монотонны!"));
    EXPECT_EQ(editor->StringGrid1->currentRow(), 2);
    EXPECT_EQ(editor->StringGrid1->currentColumn(), 0);
    EXPECT_FALSE(QFile::exists(savePath));
}

// Open shows comments and points; a line that does not parse is a row that repeats the one before.
TEST_F(MaskEditor, OpenShowsTheFile) {
    dir.write(QStringLiteral("open.9af"), ToCp1251(QString::fromUtf8("==Маска\r\n10   -3.5\r\n\r\nтекст\r\n20 -4\r\n")));
    openPath = dir.path(QStringLiteral("open.9af"));
    editor->Open1Click();
    EXPECT_EQ(editor->Memo->toPlainText(), QString::fromUtf8("==Маска"));
    ASSERT_EQ(editor->StringGrid1->rowCount(), 4);
    for (int row : {0, 1, 2}) {
        EXPECT_EQ(Cell(row, 0), "10.00000") << row;
        EXPECT_EQ(Cell(row, 1), "-3.50000") << row;
    }
    EXPECT_EQ(Cell(3, 0), "20.00000");
    EXPECT_EQ(editor->GridModified, 0);
    EXPECT_EQ(editor->CurrentPath, openPath);
    EXPECT_EQ(editor->windowTitle(), QString::fromUtf8("Редактор масок:") + QDir::toNativeSeparators(openPath));
}

TEST_F(MaskEditor, LargeDistancesSurviveOpenAndSave) {
    ChooseKind(ReflectogramKind);
    dir.write(QStringLiteral("far.9rt"), "0   -10\r\n123456789.25   -20\r\n249999999   -30\r\n");
    ASSERT_TRUE(editor->LoadMaskFile(dir.path(QStringLiteral("far.9rt"))));
    ASSERT_TRUE(editor->SaveToCurrentFile());
    EXPECT_EQ(dir.read(QStringLiteral("far.9rt")),
              "0.00000   -10.00000\r\n123456789.25000   -20.00000\r\n249999999.00000   -30.00000\r\n");
}

// "Yes, save" and then Cancel in the save dialog: nothing was saved, so the editor stays with its edits.
TEST_F(MaskEditor, ACancelledSaveAsKeepsTheEditorOpen) {
    ChooseKind(AfcKind);
    Fill({{"0", "1"}, {"10", "2"}});
    answer = IdYes;
    savePath.clear();
    editor->close();
    QCoreApplication::processEvents();
    ASSERT_FALSE(editor.isNull());
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QString::fromUtf8("Сообщения редактора масок"));
    EXPECT_EQ(Cell(1, 0), "10");
    EXPECT_EQ(editor->GridModified, 1);

    answer = IdNo; // closes without saving
    editor->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(editor.isNull());
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("*.9af")}).isEmpty());
}

TEST_F(MaskEditor, CancelInTheQuestionKeepsEverything) {
    Fill({{"0", "1"}, {"10", "2"}});
    answer = IdCancel;
    editor->New1Click();
    EXPECT_EQ(editor->StringGrid1->rowCount(), 2);
    EXPECT_EQ(editor->GridModified, 1);
    answer = IdNo;
    editor->New1Click();
    EXPECT_EQ(editor->StringGrid1->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), QString());
    EXPECT_EQ(editor->GridModified, 0);
}

TEST_F(MaskEditor, RowsAreAddedBelowAndDeleted) {
    Fill({{"1", "1"}, {"3", "3"}});
    editor->GridModified = 0;
    editor->StringGrid1->setCurrentCell(0, 1);
    editor->Button_AddRowClick();
    EXPECT_EQ(editor->StringGrid1->rowCount(), 3);
    EXPECT_EQ(editor->StringGrid1->currentRow(), 1);
    EXPECT_EQ(Cell(1, 0), QString());
    EXPECT_EQ(Cell(2, 0), "3");
    EXPECT_EQ(editor->GridModified, 0);

    editor->StringGrid1->setCurrentCell(2, 0);
    editor->Button_DelRowClick();
    EXPECT_EQ(editor->StringGrid1->rowCount(), 2);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(editor->GridModified, 1);

    editor->StringGrid1->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
    editor->Button_DelRowClick();
    EXPECT_EQ(editor->StringGrid1->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), QString());
    EXPECT_EQ(editor->GridModified, 1);
}

TEST_F(MaskEditor, TypingInACellMarksTheTableChanged) {
    editor->StringGrid1->setCurrentCell(0, 0);
    EXPECT_EQ(editor->GridModified, 0);
    editor->StringGrid1->item(0, 0)->setText(QStringLiteral("5"));
    EXPECT_EQ(editor->GridModified, 1);
}

} // namespace

#include "controls/LibraryErrors.h"
#include "controls/PickDate.h"
#include "controls/ToolEditDate.h"
#include "controls/ToolEditFile.h"
#include "platform/MessageService.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

void Key(QWidget *target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &event);
}

// A popup that holds one text value.
class TextPopup : public TPopupWindow {
public:
    using TPopupWindow::TPopupWindow;
    QVariant GetValue() const override { return value; }
    void SetValue(const QVariant &v) override { value = v.isNull() ? QStringLiteral("<null>") : v.toString(); }
    QString value;
};

class PopupEdit : public TComboEdit {
public:
    explicit PopupEdit(QWidget *parent = nullptr) : TComboEdit(parent), popup(new TextPopup(this)) {
        popup->resize(100, 60);
        SetPopup(popup);
    }
    TextPopup *popup;
};

TEST(ToolEditTest, PopupPlacement) {
    const QSize screen(1024, 768);
    const QSize edit(120, 21);
    const QSize popup(187, 124);
    EXPECT_EQ(TCustomComboEdit::PopupPosition({300, 100}, edit, popup, screen, epaRight), QPoint(233, 121));
    EXPECT_EQ(TCustomComboEdit::PopupPosition({300, 700}, edit, popup, screen, epaRight), QPoint(233, 576));
    // Right-aligned but wider than the room to the left: back to the edit's left edge.
    EXPECT_EQ(TCustomComboEdit::PopupPosition({20, 100}, edit, popup, screen, epaRight), QPoint(20, 121));
    EXPECT_EQ(TCustomComboEdit::PopupPosition({950, 100}, edit, popup, screen, epaLeft), QPoint(837, 121));
    // Never off the screen sideways.
    EXPECT_EQ(TCustomComboEdit::PopupPosition({-50, 100}, QSize(60, 21), popup, screen, epaLeft), QPoint(0, 121));
    EXPECT_EQ(TCustomComboEdit::PopupPosition({1000, 100}, QSize(60, 21), popup, screen, epaLeft),
              QPoint(837, 121));
}

TEST(ToolEditTest, EllipsisGlyphAndButtonWidth) {
    const QImage dots = TCustomComboEdit::EllipsisGlyph(21);
    EXPECT_EQ(dots.size(), QSize(15, 4));
    QString row;
    for (int x = 0; x < 15; ++x)
        row += qAlpha(dots.pixel(x, 1)) ? QLatin1Char('#') : QLatin1Char('.');
    EXPECT_EQ(row, QStringLiteral(".##...##...##.."));
    EXPECT_EQ(qAlpha(dots.pixel(1, 0)), 0);
    EXPECT_NE(qAlpha(dots.pixel(1, 2)), 0);

    TComboEdit edit;
    edit.resize(120, 24);
    edit.show();
    EXPECT_EQ(edit.ButtonWidth(), 21);
    EXPECT_EQ(edit.ButtonContainer()->geometry(), QRect(120 - 21 - 2, 2, 21, 20));
    edit.SetButtonWidth(1);
    EXPECT_TRUE(edit.ButtonContainer()->isHidden());
    edit.SetButtonWidth(25);
    EXPECT_FALSE(edit.ButtonContainer()->isHidden());
    EXPECT_EQ(edit.ButtonWidth(), 25);
    edit.SetButtonWidth(120); // not narrower than the edit: ignored
    EXPECT_EQ(edit.ButtonWidth(), 25);
    edit.SetGlyphKind(gkEllipsis);
    edit.SetNumGlyphs(3);
    EXPECT_EQ(edit.NumGlyphs(), 1);
}

TEST(ToolEditTest, ReadOnlyAndDirectInput) {
    PopupEdit edit;
    int clicks = 0;
    edit.SetOnButtonClick([&](QObject *) { ++clicks; });
    edit.SetReadOnly(true);
    edit.DoClick();
    Key(&edit, Qt::Key_Down, Qt::AltModifier);
    edit.PopupDropDown(true);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(edit.GetPopupVisible());

    edit.SetReadOnly(false);
    edit.SetDirectInput(false);
    QTest::keyClicks(&edit, QStringLiteral("abc"));
    EXPECT_TRUE(edit.text().isEmpty());
    edit.DoClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(edit.GetPopupVisible());
    edit.SetDirectInput(true);
}

TEST(ToolEditTest, PopupRoundTrip) {
    QWidget form;
    auto *edit = new PopupEdit(&form);
    form.show();
    edit->setText(QStringLiteral("old"));
    int changes = 0;
    edit->SetOnChange([&](QObject *) { ++changes; });

    Key(edit, Qt::Key_Down, Qt::AltModifier); // ClickKey opens it with the edit's text
    ASSERT_TRUE(edit->GetPopupVisible());
    EXPECT_EQ(edit->popup->value, QStringLiteral("old"));
    EXPECT_TRUE(edit->isReadOnly()); // no typing while it is open
    edit->popup->value = QStringLiteral("new");
    Key(edit, Qt::Key_Escape); // rejects
    EXPECT_FALSE(edit->GetPopupVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("old"));
    EXPECT_FALSE(edit->isReadOnly());

    edit->setText(QString());
    changes = 0;
    edit->DoClick();
    EXPECT_EQ(edit->popup->value, QStringLiteral("<null>")); // an empty text goes over as Null
    edit->popup->value = QStringLiteral("new");
    // Pressing the button while it is open closes it accepting and does not open it again.
    QTest::mouseClick(edit->Button(), Qt::LeftButton);
    EXPECT_FALSE(edit->GetPopupVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("new"));
    EXPECT_TRUE(edit->isModified());
    EXPECT_EQ(changes, 1);

    edit->DoClick();
    edit->popup->value = QStringLiteral("by enter");
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), QStringLiteral("by enter"));
}

TEST(ToolEditTest, EscapeWithoutPopupReachesTheDialog) {
    QDialog dialog;
    auto *edit = new PopupEdit(&dialog);
    dialog.show();
    edit->setFocus();
    bool rejected = false;
    QObject::connect(&dialog, &QDialog::rejected, [&] { rejected = true; });
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_TRUE(rejected);
}

// A day-month-year locale with '.' and the calendar fixed at 10 December 2014.
class DateEditTest : public testing::Test {
protected:
    DateEditTest() : saved_(DateLocale()), today_(EncodeDate(2014, 12, 10) + 0.4) {
        DateLocale().shortDateFormat = QStringLiteral("dd.MM.yyyy");
        DateLocale().dateSeparator = QLatin1Char('.');
    }
    ~DateEditTest() override { DateLocale() = saved_; }
    static TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

private:
    TDateLocale saved_;
    FixedNow today_;
};

TEST_F(DateEditTest, FormatMaskAndYearDigits) {
    TDateEdit edit;
    edit.SetYearDigits(dyFour);
    EXPECT_EQ(edit.GetDateFormat(), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(edit.EditMask(), QStringLiteral("!99/99/9999;1; "));
    EXPECT_EQ(edit.inputMask(), QStringLiteral("00.00.0000")); // Qt's '0' is the optional digit
    edit.SetDate(D(2014, 3, 15));
    EXPECT_EQ(edit.text(), QStringLiteral("15.03.2014"));
    edit.SetYearDigits(dyTwo);
    EXPECT_EQ(edit.GetDateFormat(), QStringLiteral("DD/MM/YY"));
    EXPECT_EQ(edit.text(), QStringLiteral("15.03.14"));
    EXPECT_EQ(edit.GetDate(), D(2014, 3, 15));

    // A change of the locale's order re-orders every date edit and keeps its date.
    DateLocale().shortDateFormat = QStringLiteral("yyyy-MM-dd");
    edit.SetYearDigits(dyFour);
    DateFormatChanged();
    EXPECT_EQ(edit.GetDateFormat(), QStringLiteral("YYYY/MM/DD"));
    EXPECT_EQ(edit.text(), QStringLiteral("2014.03.15"));
    EXPECT_EQ(edit.GetDate(), D(2014, 3, 15));
}

TEST_F(DateEditTest, NullDatesTodayAndKeys) {
    TDateEdit edit;
    edit.SetYearDigits(dyFour);
    edit.SetDate(NullDate);
    EXPECT_FALSE(edit.TextStored());
    EXPECT_EQ(edit.GetDate(), NullDate);
    edit.SetDefaultToday(true);
    edit.SetDate(NullDate);
    EXPECT_EQ(edit.GetDate(), D(2014, 12, 10));
    edit.SetDefaultToday(false);

    edit.SetDate(NullDate);
    Key(&edit, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_EQ(edit.GetDate(), D(2014, 12, 11)); // tomorrow
    Key(&edit, Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("-"));
    Key(&edit, Qt::Key_Minus, Qt::KeypadModifier, QStringLiteral("-"));
    EXPECT_EQ(edit.GetDate(), D(2014, 12, 9));
    Key(&edit, Qt::Key_T, Qt::NoModifier, QStringLiteral("t"));
    EXPECT_EQ(edit.GetDate(), D(2014, 12, 10));
    edit.SetDirectInput(false);
    Key(&edit, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    EXPECT_EQ(edit.GetDate(), D(2014, 12, 10));
}

TEST_F(DateEditTest, CheckOnExitKeepsTheFocusOnABadDate) {
    QWidget form;
    auto *edit = new TDateEdit(&form);
    auto *other = new QLineEdit(&form);
    new QVBoxLayout(&form);
    form.layout()->addWidget(edit);
    form.layout()->addWidget(other);
    edit->SetYearDigits(dyFour);
    edit->SetCheckOnExit(true);
    form.show();
    QApplication::setActiveWindow(&form);
    QString shown;
    SetMessageBoxHandler([&](const MessageRequest &request) {
        shown = request.text;
        return IdOk;
    });
    edit->setFocus();
    edit->setText(QStringLiteral("31.02.2014"));
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(shown, QStringLiteral("''31.02.2014'' is not a valid date"));
    EXPECT_TRUE(edit->hasFocus());

    shown.clear();
    edit->SetDate(NullDate); // an unfilled mask is no error
    other->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(shown.isEmpty());
    SetMessageBoxHandler({});
    EXPECT_THROW(
        {
            edit->setText(QStringLiteral("15.13.2014"));
            edit->CheckValidDate();
        },
        EConvertError);
}

TEST_F(DateEditTest, PopupExchangeAndHints) {
    QWidget form;
    auto *edit = new TDateEdit(&form);
    form.show();
    edit->SetYearDigits(dyFour);
    edit->SetDate(D(2014, 3, 15));
    edit->DoClick();
    ASSERT_TRUE(edit->GetPopupVisible());
    auto *popup = static_cast<TPopupCalendar *>(edit->Popup());
    EXPECT_EQ(popup->GetValue().toDouble(), D(2014, 3, 15));
    Key(edit, Qt::Key_PageDown);
    Key(edit, Qt::Key_Right);
    EXPECT_EQ(popup->GetValue().toDouble(), D(2014, 4, 16));
    int vetoed = 0;
    edit->SetOnAcceptDate([&](QObject *, TDateTime &date, bool &action) {
        if (date == D(2014, 4, 16)) {
            ++vetoed;
            action = false;
        }
    });
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(vetoed, 1);
    EXPECT_EQ(edit->GetDate(), D(2014, 3, 15));
    edit->SetOnAcceptDate({});
    edit->DoClick();
    Key(edit, Qt::Key_Plus, Qt::KeypadModifier, QStringLiteral("+"));
    Key(edit, Qt::Key_Return);
    EXPECT_EQ(edit->GetDate(), D(2014, 3, 16));

    edit->SetCalendarHints({"a", "b", "c", "d", "e"});
    EXPECT_EQ(edit->CalendarHints(), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(popup->Button(NextYear)->toolTip(), QStringLiteral("d"));
    edit->SetCalendarStyle(csDialog);
    EXPECT_EQ(edit->Popup(), nullptr);
    edit->SetCalendarStyle(csPopup);
    EXPECT_NE(edit->Popup(), nullptr);
}

TEST(FileEditTest, FileNamesQuotesAndDrops) {
    QTemporaryDir temp;
    TFilenameEdit edit;
    edit.SetFileName(QStringLiteral("/opt/Program Files/a.txt"));
    EXPECT_EQ(edit.text(), QStringLiteral("\"/opt/Program Files/a.txt\""));
    EXPECT_EQ(edit.FileName(), QStringLiteral("/opt/Program Files/a.txt"));
    try {
        edit.SetFileName(QStringLiteral("a|b"));
        FAIL();
    } catch (const EComboEditError &error) {
        EXPECT_EQ(error.Message(), QStringLiteral("Invalid file name - a|b"));
    }
    EXPECT_EQ(edit.FileName(), QStringLiteral("/opt/Program Files/a.txt"));
    edit.SetFileName(QString());
    EXPECT_TRUE(edit.text().isEmpty());

    const QString longName = temp.filePath(QString(300, QLatin1Char('n')).left(200));
    const QStringList dropped{temp.filePath("one.txt"), temp.filePath("two.txt"), longName};
    edit.DropFiles(dropped);
    EXPECT_EQ(edit.FileName(), dropped[0]);
    EXPECT_TRUE(edit.GetDialogFiles().isEmpty());
    edit.SetAllowMultiSelect(true);
    edit.DropFiles(dropped);
    EXPECT_EQ(edit.FileName(), dropped[0]);
    EXPECT_EQ(edit.GetDialogFiles(), dropped);
}

class ScriptedDirectoryEdit : public TDirectoryEdit {
public:
    QString openedAt;
    QString answer;
    bool ExecuteDialog(QString &folder) override {
        openedAt = folder;
        if (answer.isEmpty())
            return false;
        folder = answer;
        return true;
    }
};

TEST(FileEditTest, DirectoryEdits) {
    QTemporaryDir temp;
    QDir(temp.path()).mkpath(QStringLiteral("a"));
    QDir(temp.path()).mkpath(QStringLiteral("b"));
    QFile file(temp.filePath(QStringLiteral("a/f.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    ScriptedDirectoryEdit edit;
    edit.setText(QStringLiteral("/no/such/folder"));
    edit.DoClick();
    EXPECT_EQ(edit.openedAt, QStringLiteral("/"));
    EXPECT_EQ(edit.text(), QStringLiteral("/no/such/folder")); // cancelled

    int before = 0;
    edit.SetOnBeforeDialog([&](QObject *, QString &, bool &action) {
        ++before;
        action = false;
    });
    edit.openedAt.clear();
    edit.DoClick();
    EXPECT_EQ(before, 1);
    EXPECT_TRUE(edit.openedAt.isEmpty());
    edit.SetOnBeforeDialog({});

    edit.setText(QString());
    edit.answer = temp.filePath(QStringLiteral("b"));
    edit.DoClick();
    EXPECT_EQ(edit.text(), temp.filePath(QStringLiteral("b")));
    EXPECT_EQ(edit.InitialDir(), temp.filePath(QStringLiteral("b")));

    // A dropped file gives its folder; with MultipleDirs drops build a list.
    edit.setText(QString());
    edit.DropFiles({temp.filePath(QStringLiteral("a/f.txt"))});
    EXPECT_EQ(edit.text(), temp.filePath(QStringLiteral("a")));
    edit.SetMultipleDirs(true);
    edit.DropFiles({temp.filePath(QStringLiteral("b"))});
    EXPECT_EQ(edit.text(), temp.filePath(QStringLiteral("a")) + ';' + temp.filePath(QStringLiteral("b")));
    EXPECT_EQ(edit.GetLongName(), edit.text());
}

} // namespace

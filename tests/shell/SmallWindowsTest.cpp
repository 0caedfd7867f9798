#include "platform/DateTime.h"
#include "shell/Aboutunit.h"
#include "shell/Form_messagebox.h"
#include "shell/Formend_unit.h"
#include "shell/Formhelp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

void RunDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(AboutForm, ShowsNameVersionAndBuildDate) {
    const struct {
        int version;
        int year, month, day;
        const char *versionText;
        const char *dateText;
    } cases[] = {
        {611, 2014, 2, 14, "V6.11", "14.02.2014"},
        {600, 2009, 12, 1, "V6.00", "01.12.2009"},
        {1005, 2020, 9, 30, "V10.05", "30.09.2020"},
        {7, 1999, 1, 2, "V0.07", "02.01.1999"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.versionText);
        TAboutForm form(c.version, EncodeDate(c.year, c.month, c.day));
        EXPECT_EQ(form.windowTitle(), "О программе...");
        EXPECT_EQ(form.Label10->text(), "Программа управления\nанализатором Trova R-9");
        EXPECT_EQ(form.Label2->text(), "Версия:");
        EXPECT_EQ(form.Label8->text(), QString::fromLatin1(c.versionText));
        EXPECT_EQ(form.Label9->text(), QString::fromLatin1(c.dateText));
        EXPECT_EQ(form.size(), QSize(470, 261));
    }
}

TEST(AboutForm, OkClosesTheBoxAndFreesIt) {
    AboutForm = new TAboutForm(611, EncodeDate(2014, 2, 14));
    AboutForm->show();
    QTest::mouseClick(AboutForm->BitBtn1, Qt::LeftButton);
    RunDeferredDeletes();
    EXPECT_EQ(AboutForm, nullptr);
}

TEST(FormEnd, IsABorderlessNoticeInBoldBlue) {
    TFormEnd form;
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.Panel1->text(), "Выключение анализатора!");
    EXPECT_TRUE(form.Panel1->font().bold());
    EXPECT_EQ(form.Panel1->font().pixelSize(), 23);
    EXPECT_EQ(form.Panel1->palette().color(QPalette::WindowText), QColor(Qt::blue));
    EXPECT_EQ(form.size(), QSize(394, 90));
}

// Every small window frees itself when closed and clears the pointer the main window reaches it by.
TEST(SmallWindows, CloseFreesTheWindowAndClearsItsPointer) {
    const struct {
        const char *name;
        std::function<QWidget *()> create;
        std::function<QWidget *()> pointer;
    } cases[] = {
        {"AboutForm", [] { return AboutForm = new TAboutForm(611, 0); }, [] { return AboutForm; }},
        {"Form_MesBox", [] { return Form_MesBox = new TForm_MesBox("a", "b", "1", "2", "3"); },
         [] { return Form_MesBox; }},
        {"FormEnd", [] { return FormEnd = new TFormEnd; }, [] { return FormEnd; }},
        {"Form_Help", [] { return Form_Help = new TForm_Help; }, [] { return Form_Help; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget *window = c.create();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        window->close();
        RunDeferredDeletes();
        EXPECT_EQ(c.pointer(), nullptr);
    }
}

} // namespace

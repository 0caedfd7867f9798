#include "shell/DesktopStart.h"
#include "platform/MessageService.h"
#include "support/Screenshot.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

auto &App() {
    return *qobject_cast<QApplication *>(QCoreApplication::instance());
}

// The program's own question box reads "Да" and "Нет" once Qt's translations are loaded.
TEST(DesktopStart, QtDialogsInRussian) {
    QTranslator *translator = LoadQtTranslations(App());
    ASSERT_NE(translator, nullptr) << "Qt's Russian translations (qt6-translations-l10n) are missing";
    SetProgramIcon(App());
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton *button : box->buttons())
            texts << button->text().remove('&');
        SaveScreenshot(*box, QStringLiteral("yes_no_box"));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(ShowMessage({QStringLiteral("Вы хотите завершить работу?"), QStringLiteral("R9"), MsgIcon::Warning,
                           MsgButtons::YesNoCancel}),
              int(IdNo));
    texts.sort();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// The icon is the program's own drawing: it renders, and it is not a blank square.
TEST(DesktopStart, ProgramIcon) {
    const QIcon before = App().windowIcon();
    SetProgramIcon(App());
    const QImage image = App().windowIcon().pixmap(64, 64).toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(64, 64));
    EXPECT_NE(image.pixel(32, 26), image.pixel(4, 32)) << "screen and case differ";
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the rounded corner is transparent";
    App().setWindowIcon(before);
}

} // namespace

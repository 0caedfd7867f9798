#include "shell/Formhelp.h"

#include "platform/MessageService.h"
#include "support/Fixtures.h"
#include "support/TempProgramDir.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include <vector>

// Stands in for the desktop's handler of file addresses.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    std::vector<QString> paths;
public slots:
    void Open(const QUrl &url) { paths.push_back(url.toLocalFile()); }
};

namespace {

class FormHelpTest : public testing::Test {
protected:
    void SetUp() override {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &opened, "Open");
        SetMessageBoxHandler([this](const MessageRequest &request) {
            messages.push_back(request);
            return int(IdOk);
        });
    }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        SetMessageBoxHandler(nullptr);
    }

    // The fixture's manuals in Help, and a folder whose name matches the mask of the verification
    // method and sorts before its manual.
    void FillHelpFolder() {
        ASSERT_TRUE(QDir().mkpath(program.path("Help/r9mp+old.pdf")));
        const QDir fixtures(FixturePath(QStringLiteral("shell/help")));
        for (const QString &name : fixtures.entryList(QDir::Files))
            ASSERT_TRUE(QFile::copy(fixtures.filePath(name), program.path("Help/" + name)));
    }

    QLabel *Link(const char *name) { return form.findChild<QLabel *>(QLatin1String(name)); }

    TempProgramDir program;
    OpenedFiles opened;
    std::vector<MessageRequest> messages;
    TForm_Help form;
};

TEST_F(FormHelpTest, OpensTheFirstManualInNameOrderWhateverTheCase) {
    FillHelpFolder();
    const struct {
        const char *link;
        const char *file;
    } cases[] = {
        {"Label1", "R9_307_RE1_2014.PDF"}, // found only without regard to case
        {"Label2", "r9_307_re2a.pdf"},     // R9_307_RE2B.PDF comes first when case counts
        {"Label9", "r9mp-2013.pdf"},       // a folder that matches is no manual
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        opened.paths.clear();
        form.Label1Click(Link(c.link));
        ASSERT_EQ(opened.paths.size(), 1u);
        EXPECT_EQ(opened.paths[0], program.path("Help/") + c.file);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(FormHelpTest, WarnsWithTheFullPatternOfAMissingManual) {
    FillHelpFolder();
    const struct {
        const char *link;
        const char *mask;
    } cases[] = {
        {"Label1", nullptr},
        {"Label2", nullptr},
        {"Label8", "r9_307_re3*.pdf"},
        {"Label5", "r9_307_re4*.pdf"},
        {"Label6", "r9_307_re5*.pdf"},
        {"Label7", "r9_307_re6*.pdf"},
        {"Label11", "r9_307_re7*.pdf"},
        {"Label9", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        messages.clear();
        opened.paths.clear();
        form.Label1Click(Link(c.link));
        if (!c.mask) {
            EXPECT_TRUE(messages.empty());
            continue;
        }
        EXPECT_TRUE(opened.paths.empty());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Файл документации " + program.path("Help/") + c.mask + " не найден!");
        EXPECT_EQ(messages[0].caption, "Внимание!");
        EXPECT_EQ(messages[0].icon, MsgIcon::Warning);
    }
}

TEST_F(FormHelpTest, EveryLinkHasItsOwnPatternWhenThereIsNoHelpFolder) {
    const struct {
        const char *link;
        const char *mask;
    } cases[] = {
        {"Label1", "r9_307_re1*.pdf"},  {"Label2", "r9_307_re2*.pdf"}, {"Label8", "r9_307_re3*.pdf"},
        {"Label5", "r9_307_re4*.pdf"},  {"Label6", "r9_307_re5*.pdf"}, {"Label7", "r9_307_re6*.pdf"},
        {"Label11", "r9_307_re7*.pdf"}, {"Label9", "r9mp*.pdf"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.link);
        messages.clear();
        form.Label1Click(Link(c.link));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("/Help/") + c.mask + " не найден!"))
            << messages[0].text.toStdString();
    }
    EXPECT_TRUE(opened.paths.empty());
}

TEST_F(FormHelpTest, ShowsTheEightManualsByTheirCaptions) {
    EXPECT_EQ(form.windowTitle(), "Содержание");
    EXPECT_EQ(form.Label1->text(), "> Часть 1. Основные характеристики");
    EXPECT_EQ(form.Label5->text(), "> Часть 4. Абонентские цифровые линии с медными жилами.\n"
                                   "   Требования, параметры и технология измерений xDSL\\ГодностьПары");
    EXPECT_EQ(form.Label9->text(), "> Методика поверки");
    EXPECT_EQ(form.findChildren<QLabel *>().size(), 8);
}

QColor TextColour(const QLabel *label) {
    return label->palette().color(QPalette::WindowText);
}

TEST_F(FormHelpTest, TheLinkUnderTheMouseIsRedAndTheOthersBlack) {
    const QList<QLabel *> links = form.findChildren<QLabel *>();
    form.Label1MouseMove(form.Label6);
    for (QLabel *label : links)
        EXPECT_EQ(TextColour(label), label == form.Label6 ? QColor(Qt::red) : QColor(Qt::black))
            << label->objectName().toStdString();

    // The events of the labels and of the window reach the handlers.
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), QPointF(2, 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.Label11, &move);
    EXPECT_EQ(TextColour(form.Label11), QColor(Qt::red));
    EXPECT_EQ(TextColour(form.Label6), QColor(Qt::black));
    QApplication::sendEvent(&form, &move);
    for (QLabel *label : links)
        EXPECT_EQ(TextColour(label), QColor(Qt::black)) << label->objectName().toStdString();
}

TEST_F(FormHelpTest, AClickOnALinkOpensItsManual) {
    FillHelpFolder();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(form.Label2, &press);
    QApplication::sendEvent(form.Label2, &release);
    ASSERT_EQ(opened.paths.size(), 1u);
    EXPECT_EQ(opened.paths[0], program.path("Help/r9_307_re2a.pdf"));
}

} // namespace

#include "FormhelpTest.moc"

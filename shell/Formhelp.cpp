#include "shell/Formhelp.h"

#include "controls/FormHelpers.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"

#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>

TForm_Help *Form_Help = nullptr;

namespace {

struct ManualLink {
    const char *name;
    const char16_t *caption;
    const char *mask;
};

// In the order the links stand in the window.
constexpr std::array<ManualLink, 8> kManualLinks = {{
    {"Label1", u"> Часть 1. Основные характеристики", "r9_307_re1*.pdf"},
    {"Label2", u"> Часть 2. Работа под управлением персонального компьютера", "r9_307_re2*.pdf"},
    {"Label8",
     u"> Часть 3. Абонентские цифровые линии с медными жилами.\n"
     u"   Контроль параметров оконечного оборудования xDSL",
     "r9_307_re3*.pdf"},
    {"Label5",
     u"> Часть 4. Абонентские цифровые линии с медными жилами.\n"
     u"   Требования, параметры и технология измерений xDSL\\ГодностьПары",
     "r9_307_re4*.pdf"},
    {"Label6",
     u"> Часть 5. Измерение параметров ВЧ трактов по ЛЭП,\n"
     u"   аппаратуры и каналов ВЧ связи по ЛЭП",
     "r9_307_re5*.pdf"},
    {"Label7",
     u"> Часть 6. Измерение каналов тональной частоты и\n"
     u"   запаса помехозащищенности каналов ТЧ",
     "r9_307_re6*.pdf"},
    {"Label11", u"> Часть 7. Измерение кабелей связи", "r9_307_re7*.pdf"},
    {"Label9", u"> Методика поверки", "r9mp*.pdf"},
}};

constexpr int kWarningCaption = 7; // "Внимание!"

// The first plain file of the folder, in name order without regard to case, whose name matches the
// mask without regard to case; empty when there is none.
QString FirstMatch(const QString &folder, const QString &mask) {
    const QStringList names = QDir(folder).entryList({mask}, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    return names.isEmpty() ? QString() : names.front();
}

void SetTextColour(QWidget *control, const QColor &colour) {
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

} // namespace

TForm_Help::TForm_Help(QWidget *owner)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form_Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Содержание"));
    setFixedSize(729, 505);
    setMouseTracking(true);

    QLabel **members[] = {&Label1, &Label2, &Label8, &Label5, &Label6, &Label7, &Label11, &Label9};
    QFont font = this->font();
    font.setPointSize(font.pointSize() + 2);
    int top = 24;
    for (std::size_t i = 0; i < kManualLinks.size(); ++i) {
        const ManualLink &link = kManualLinks[i];
        auto *label = NamedControl(new QLabel(QString::fromUtf16(link.caption), this), link.name);
        label->setFont(font);
        label->setCursor(Qt::PointingHandCursor);
        label->setMouseTracking(true);
        label->installEventFilter(this);
        label->adjustSize();
        label->move(32, top);
        top += label->height() + 22;
        SetTextColour(label, Qt::black);
        *members[i] = label;
    }
}

TForm_Help::~TForm_Help() {
    if (Form_Help == this)
        Form_Help = nullptr;
}

std::array<QLabel *, 8> TForm_Help::Links() const {
    return {Label1, Label2, Label8, Label5, Label6, Label7, Label11, Label9};
}

void TForm_Help::Label1MouseMove(QObject *sender) {
    for (QLabel *label : Links())
        SetTextColour(label, label == sender ? Qt::red : Qt::black);
}

void TForm_Help::Label1Click(QObject *sender) {
    const auto links = Links();
    const auto found = std::find(links.begin(), links.end(), sender);
    if (found == links.end())
        return;
    const ManualLink &link = kManualLinks[static_cast<std::size_t>(found - links.begin())];

    const QString folder = ProgramDir() + QStringLiteral("Help/");
    const QString mask = QString::fromLatin1(link.mask);
    const QString name = FirstMatch(folder, mask);
    if (name.isEmpty()) {
        ShowMessage({QStringLiteral("Файл документации ") + folder + mask + QStringLiteral(" не найден!"),
                     LoadStr(kWarningCaption), MsgIcon::Warning, MsgButtons::Ok});
        return;
    }
    // A failure of the desktop to open a found file is its own to report.
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder + name));
}

bool TForm_Help::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        // Handled here: passed on, it would reach the window's own handler and turn every link black.
        Label1MouseMove(watched);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const auto *label = static_cast<QWidget *>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint()))
            Label1Click(watched);
    }
    return QWidget::eventFilter(watched, event);
}

void TForm_Help::mouseMoveEvent(QMouseEvent *event) {
    Label1MouseMove(this);
    QWidget::mouseMoveEvent(event);
}

void TForm_Help::showEvent(QShowEvent *event) {
    CentreOnScreen(this);
    QWidget::showEvent(event);
}

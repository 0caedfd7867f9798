#include "protocols/Form_scncontinue.h"

#include "chartlib/Chartlib.h"
#include "platform/Clock.h"
#include "platform/MessageService.h"
#include "protocols/BatchLog.h"
#include "protocols/PauseMessage.h"
#include "state/MainGlobals.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>

QPointer<TForm_ScnCont> Form_ScnCont;

namespace {

constexpr std::uint32_t TechPortBaudRate = 19200;
constexpr std::uint32_t WriteTimeoutMs = 200;
constexpr std::uint32_t SettleMs = 100;
constexpr std::uint32_t BetweenCommandsMs = 50;
constexpr char ContinueByte = '@';

// Waits keep the windows alive.
void Wait(std::uint32_t ms) {
    const std::uint32_t start = GetTickCount();
    while (TicksSince(start) < ms) {
        PumpMessages();
        Sleep(1);
    }
}

} // namespace

TForm_ScnCont::TForm_ScnCont(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form_ScnCont"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Пауза в исполнении сценария"));
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::WindowStaysOnTopHint);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    QPalette palette = Memo1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    Memo1->setPalette(palette);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    BitBtn1 = new QPushButton(QStringLiteral("Продолжить исполнение сценария"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    auto *buttons = new QHBoxLayout(Panel1);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(Panel1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    resize(420, 240);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_ScnCont::Button1Click);
    connect(Timer1, &QTimer::timeout, this, &TForm_ScnCont::Timer1Timer);
}

TForm_ScnCont::~TForm_ScnCont() {
    port_.Close();
}

void TForm_ScnCont::Button1Click() {
    if (Continue)
        Continue();
}

void TForm_ScnCont::closeEvent(QCloseEvent *event) {
    Timer1->stop();
    port_.Close();
    event->accept();
}

// Everything that waits is read at once: the device's "@" may come behind other bytes, which are
// ignored.
void TForm_ScnCont::Timer1Timer() {
    if (!Timer1->isActive() || !port_.IsOpen())
        return;
    std::uint8_t buffer[256];
    bool answered = false;
    for (;;) {
        const int got = port_.Read(buffer, sizeof buffer);
        if (got <= 0)
            break;
        answered = answered || std::find(buffer, buffer + got, std::uint8_t(ContinueByte)) != buffer + got;
    }
    if (!answered)
        return;
    Timer1->stop();
    Button1Click();
}

int TForm_ScnCont::OpenTechPort(int techPort) {
    if (!port_.Open(techPort))
        return 1;
    if (!port_.Configure(TechPortBaudRate)) {
        DebugLog(QStringLiteral("Init SetCommState GetLastError()=") + QString::number(errno));
        port_.Close();
        return 7;
    }
    return 0;
}

void TForm_ScnCont::ShowPortError(int code, int techPort) {
    QString text;
    switch (code) {
    case 1:
        text = QStringLiteral("Нет доступа ! Порт занят!");
        break;
    case 7:
        text = QStringLiteral("Системная ошибка !");
        break;
    case 77:
        text = QStringLiteral("Нет сигнала CTS !\n Устройство выключено или отстыковано !");
        break;
    default:
        return;
    }
    const QString caption = QStringLiteral("Порт:") + QString::number(techPort) + QStringLiteral(" Ошибка!");
    if (BatchMessagesDiverted())
        AppendBatchLog(0, caption + u' ' + text);
    else
        ShowMessage({text, caption, MsgIcon::Error, MsgButtons::Ok});
}

void TForm_ScnCont::CheckCts(int techPort) {
    ModemLines lines;
    if (port_.GetModemLines(lines) && !lines.Cts)
        ShowPortError(77, techPort);
}

bool TForm_ScnCont::WriteBytes(const QByteArray &bytes) {
    if (bytes.isEmpty())
        return false;
    for (char b : bytes) {
        const auto byte = std::uint8_t(b);
        if (!port_.Write(&byte, 1, WriteTimeoutMs))
            return false;
    }
    return true;
}

void TForm_ScnCont::SendPauseCommands(int techPort) {
    PumpMessages();
    const QStringList commands = ExtractCommands(Memo1->toPlainText().split(u'\n'));
    if (commands.isEmpty())
        return;
    if (const int error = OpenTechPort(techPort)) {
        ShowPortError(error, techPort);
        return;
    }
    Wait(SettleMs);
    CheckCts(techPort);
    // A write that fails is not reported: the operator still has the button.
    for (const QString &command : commands) {
        WriteBytes(CommandFrame(command));
        Wait(BetweenCommandsMs);
    }
    Timer1->start();
}

TForm_ScnCont *ShowScenarioPause(QWidget *owner, const QString &configFileName, const QStringList &messageLines,
                                 int techPort, std::function<void()> onContinue) {
    if (!Form_ScnCont)
        Form_ScnCont = new TForm_ScnCont(owner);
    TForm_ScnCont *window = Form_ScnCont;
    window->Continue = std::move(onContinue);
    window->Memo1->setPlainText(
        (QStringList{QStringLiteral("Пауза перед ") + QFileInfo(configFileName).fileName(), QString()} + messageLines)
            .join(u'\n'));
    QTextCursor first(window->Memo1->document()->firstBlock());
    first.select(QTextCursor::LineUnderCursor);
    window->Memo1->setTextCursor(first);
    window->show();
    window->raise();
    if (ConnectionKind == 1 && TechnologyMode && techPort > 0)
        window->SendPauseCommands(techPort);
    return window;
}

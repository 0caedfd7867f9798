#include "protocols/PackageWork.h"

#include "platform/AtomicFile.h"
#include "platform/Cp1251.h"
#include "platform/MessageService.h"
#include "platform/ProgramDir.h"
#include "platform/StringTable.h"
#include "protocols/BatchLog.h"
#include "protocols/BatchTargets.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

TPackageWork *PackageWork = nullptr;

namespace {

// What a box would have answered had its default button been pressed.
int DefaultAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
        return IdOk;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        return IdYes;
    case MsgButtons::RetryCancel:
        return IdRetry;
    case MsgButtons::AbortRetryIgnore:
        return IdAbort;
    }
    return IdOk;
}

struct EndLine {
    int code;
    int source;
    const char *text;
};

constexpr EndLine EndLines[] = {
    {-2, 1, "Синтаксическая ошибка в файле-расписании"},
    {-3, 0, "Нет доступного порта или порт занят."},
    {-5, 1, "Закрытие программы."},
};

constexpr int MailboxSource = 1;
constexpr int ProgramSource = 0;

// The code of a schedule that cannot be read at all.
constexpr int SyntaxCode = -2;

// A message of batch control: a line of the batch log, and the end of the run when a code is given.
void Report(const QString &text, int code, int source = MailboxSource) {
    ShowMessage({text, LoadStr(7), MsgIcon::Warning, MsgButtons::Ok, code, source});
}

void Log(const QString &text, int source = MailboxSource) {
    AppendBatchLog(source, text);
}

QString WithoutBlanks(QString text) {
    text.remove(u' ');
    text.remove(u'\t');
    return text;
}

QString WithoutLeadingBlanks(const QString &text) {
    qsizetype at = 0;
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t'))
        ++at;
    return text.mid(at);
}

QString SyntaxError(const char *key) {
    return QStringLiteral("Синтаксическая ошибка в строке ") + QLatin1String(key) + QStringLiteral(" файла-расписания");
}

// The schedule names paths as the controlling program wrote them; the file system here knows only '/'.
QString LocalPath(const QString &stored) {
    return QString(stored).replace(u'\\', u'/');
}

bool FileExists(const QString &path) {
    return !path.isEmpty() && QFileInfo(LocalPath(path)).isFile();
}

// The schedule's keys in the order they are looked for.
enum class ScheduleKey { CloseProgram, UsbPort, TimePeriod, ScenarioName, ConfigName, ResultPath };

struct ScheduleKeyName {
    ScheduleKey key;
    const char *name;
};

constexpr ScheduleKeyName ScheduleKeys[] = {
    {ScheduleKey::CloseProgram, "CLOSE_PROGRAM"}, {ScheduleKey::UsbPort, "USB_PORT"},
    {ScheduleKey::TimePeriod, "TIME_PERIOD_MS"},  {ScheduleKey::ScenarioName, "SCENARIO_NAME"},
    {ScheduleKey::ConfigName, "CONFIG_NAME"},     {ScheduleKey::ResultPath, "RESULT_PATH"},
};

QStringList TextLines(const QByteArray &bytes) {
    QStringList lines = FromCp1251(bytes).split(u'\n');
    for (QString &line : lines)
        line.remove(u'\r');
    return lines;
}

// NEW_SCN and NEW_CFG: the named file becomes the run's scenario or configuration and is loaded at once.
void LoadNamedFile(TPackageWork &work, const QString &argument, QString TPackageWork::*name,
                   void (TPackageWork::*load)(), const QString &noName, const QString &missing) {
    if (argument.isEmpty()) {
        Log(noName);
    } else if (FileExists(argument)) {
        work.*name = argument;
        (work.*load)();
    } else {
        Log(missing.arg(argument));
    }
}

} // namespace

QString MailboxPath() {
    return ProgramDir() + QStringLiteral("R9_307.mng");
}

QByteArray MailboxAcknowledgement() {
    return QByteArray("NONE\r\n", 6) + '\0';
}

std::optional<MailboxLine> ReadMailboxLine(const QByteArray &bytes) {
    // A NUL ends the text: the acknowledgement carries one, and nothing after it is a command.
    const QByteArray text = bytes.left(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype end = text.indexOf('\n');
    MailboxLine line;
    line.Complete = end >= 0;
    line.Text = FromCp1251(end >= 0 ? text.left(end) : text).remove(u'\r');
    const qsizetype equals = line.Text.indexOf(u'=');
    line.Command = (equals < 0 ? line.Text : line.Text.left(equals)).trimmed();
    line.Argument = equals < 0 ? QString() : WithoutLeadingBlanks(line.Text.mid(equals + 1));
    return line;
}

int LogBatchMessage(const MessageRequest &request) {
    AppendBatchLog(request.batchLogSource, request.text);
    return DefaultAnswer(request.buttons);
}

TPackageWork::TPackageWork(const QString &scheduleFile) : ScheduleFile(scheduleFile) {
    SetBatchMessageSink([this](const MessageRequest &request) {
        const int answer = LogBatchMessage(request);
        if (request.batchCode != 0)
            Finish(request.batchCode);
        return answer;
    });
}

TPackageWork::~TPackageWork() {
    WriteEndMessage();
    SetBatchMessageSink({});
}

void TPackageWork::StartPolling() {
    if (OnStartPolling)
        OnStartPolling(PollPeriod);
}

void TPackageWork::StopPolling() {
    if (OnStopPolling)
        OnStopPolling();
}

void TPackageWork::Start() {
    QFile::remove(BatchLogPath());
    ParseSchedule();
    const BatchTargets &targets = BatchControlTargets();
    if (ResultCode >= 0 && targets.InstrumentOnUsb && targets.InstrumentOnUsb())
        CheckUsbPort();
    if (ResultCode >= 0) {
        if (!ScenarioName.isEmpty())
            LoadScenario();
        else if (!ConfigName.isEmpty())
            LoadConfig();
    }
    if (ResultCode == 0)
        StartPolling();
}

void TPackageWork::Finish(int code) {
    ResultCode = code;
    if (ClosePosted)
        return;
    ClosePosted = true;
    if (OnCloseRequest)
        OnCloseRequest();
}

void TPackageWork::ParseSchedule() {
    QFile file(ScheduleFile);
    if (!file.open(QIODevice::ReadOnly)) {
        Finish(SyntaxCode);
    } else {
        for (const QString &line : TextLines(file.readAll()))
            if (!ParseScheduleLine(line))
                break;
    }
    CheckScheduleNames();
}

bool TPackageWork::ParseScheduleLine(const QString &line) {
    if (line.contains(QStringLiteral("==")))
        return true;
    // Only the part before the first "=" names the key: a value may well contain a key's name.
    const qsizetype equals = line.indexOf(u'=');
    const bool hasValue = equals >= 0;
    const QString keyPart = (hasValue ? line.left(equals) : line).toUpper();
    const QString value = hasValue ? line.mid(equals + 1) : QString();
    const ScheduleKeyName *found = nullptr;
    for (const ScheduleKeyName &key : ScheduleKeys)
        if (keyPart.contains(QLatin1String(key.name))) {
            found = &key;
            break;
        }
    if (!found)
        return true;
    switch (found->key) {
    case ScheduleKey::CloseProgram:
        CloseAtEnd = hasValue && WithoutBlanks(value).toUpper().contains(QStringLiteral("YES"));
        return true;
    case ScheduleKey::TimePeriod: {
        PollPeriod = 1000;
        if (!hasValue) {
            Report(SyntaxError(found->name), 0);
            return true;
        }
        bool ok = false;
        const int period = WithoutBlanks(value).toInt(&ok, 10);
        if (!ok) {
            Finish(SyntaxCode);
            return false;
        }
        PollPeriod = period;
        return true;
    }
    case ScheduleKey::UsbPort:
    case ScheduleKey::ScenarioName:
    case ScheduleKey::ConfigName:
    case ScheduleKey::ResultPath:
        break;
    }
    QString &field = found->key == ScheduleKey::UsbPort        ? UsbPort
                     : found->key == ScheduleKey::ScenarioName ? ScenarioName
                     : found->key == ScheduleKey::ConfigName   ? ConfigName
                                                               : ResultPath;
    field.clear();
    if (!hasValue) {
        Report(SyntaxError(found->name), BatchCloseCode);
        return false;
    }
    field = found->key == ScheduleKey::UsbPort ? WithoutBlanks(value) : WithoutLeadingBlanks(value);
    if (found->key != ScheduleKey::ResultPath)
        return true;
    if (field.isEmpty()) {
        Report(QStringLiteral("Не задан каталог результатов в строке RESULT_PATH файла-расписания"), BatchCloseCode);
        return false;
    }
    field = LocalPath(field);
    if (!field.endsWith(u'/'))
        field += u'/';
    return true;
}

void TPackageWork::CheckScheduleNames() {
    if (ScenarioName.isEmpty()) {
        if (ConfigName.isEmpty()) {
            Report(QStringLiteral("Не задано имя сценария или конфигурации\nв строке SCENARIO_NAME или "
                                  "CONFIG_NAME файла-расписания"),
                   BatchCloseCode);
        } else if (!FileExists(ConfigName)) {
            const QString name = ConfigName;
            ConfigName.clear();
            Report(QStringLiteral("Конфигурация  ") + name + QStringLiteral(" не найдена"), BatchCloseCode);
        }
    } else if (!FileExists(ScenarioName)) {
        const QString name = ScenarioName;
        ScenarioName.clear();
        Report(QStringLiteral("Сценарий ") + name + QStringLiteral(" не найден"), BatchCloseCode);
    }
}

void TPackageWork::CheckUsbPort() {
    const BatchTargets &targets = BatchControlTargets();
    const QString expected = LoadStr(460) + u' ' + UsbPort;
    const QString list =
        targets.ListInstrumentNames ? targets.ListInstrumentNames().join(QStringLiteral("\r\n")) : QString();
    if (list.contains(expected)) {
        if (targets.ShowInstrument)
            targets.ShowInstrument(expected);
        return;
    }
    Report(expected + QStringLiteral(" не найден!"), -3, ProgramSource);
}

void TPackageWork::LoadScenario() {
    const BatchTargets &targets = BatchControlTargets();
    if (targets.ShowScenarioWindow)
        targets.ShowScenarioWindow();
    if (targets.OpenScenarioFile)
        targets.OpenScenarioFile(LocalPath(ScenarioName));
    if (ResultCode == 0)
        Log(QStringLiteral("Загружен сценарий ") + ScenarioName);
}

void TPackageWork::LoadConfig() {
    const BatchTargets &targets = BatchControlTargets();
    if (targets.LoadConfig)
        targets.LoadConfig(LocalPath(ConfigName));
    if (ResultCode == 0)
        Log(QStringLiteral("Загружена конфигурация ") + ConfigName);
}

void TPackageWork::ScenarioFinished() {
    Log(QStringLiteral("Завершен сценарий ") + ScenarioName);
    if (CloseAtEnd)
        Finish(BatchCloseCode);
}

void TPackageWork::ResumePolling() {
    if (!ClosePosted && !pollingEnded_)
        StartPolling();
}

void TPackageWork::PollCommandFile() {
    StopPolling();
    QFile mailbox(MailboxPath());
    std::optional<MailboxLine> line;
    if (mailbox.open(QIODevice::ReadOnly)) {
        line = ReadMailboxLine(mailbox.readAll());
        mailbox.close();
    }
    // The controlling program may still be writing a line that has no line end yet: it is taken once it
    // has stayed the same for one poll period.
    if (line && !line->Complete && unfinished_ != line->Text) {
        unfinished_ = line->Text;
        line.reset();
    }
    if (line) {
        unfinished_.reset();
        CarryOut(line->Command.toUpper(), line->Argument);
    }
    if (!pollingEnded_ && !ClosePosted)
        StartPolling();
}

void TPackageWork::CarryOut(const QString &command, const QString &argument) {
    struct Action {
        const char *command;
        void (*act)(TPackageWork &work, const QString &argument);
    };
    static constexpr Action Actions[] = {
        {"START_SCN",
         [](TPackageWork &work, const QString &) {
             const BatchTargets &targets = BatchControlTargets();
             if (!targets.StartScenario)
                 return;
             targets.StartScenario();
             if (targets.ScenarioRunning && targets.ScenarioRunning())
                 Log(QStringLiteral("Исполнение сценария ") + work.ScenarioName);
         }},
        {"CLOSE",
         [](TPackageWork &work, const QString &) {
             work.pollingEnded_ = true;
             work.Finish(BatchCloseCode);
         }},
        {"BREAK_SCN",
         [](TPackageWork &, const QString &) {
             if (!BatchControlTargets().PauseScenario)
                 return;
             BatchControlTargets().PauseScenario();
             Log(QStringLiteral("Прерван пользователем."));
         }},
        {"NEW_SCN",
         [](TPackageWork &work, const QString &argument) {
             // The controlling programs know the missing file's text with a Latin C at its start.
             LoadNamedFile(work, argument, &TPackageWork::ScenarioName, &TPackageWork::LoadScenario,
                           QStringLiteral("Не задано имя сценария в команде NEW_SCN"),
                           QStringLiteral("Cценарий %1 не найден"));
         }},
        {"START_R9",
         [](TPackageWork &, const QString &) {
             if (BatchControlTargets().StartMeasurement)
                 BatchControlTargets().StartMeasurement();
         }},
        {"STOP_R9",
         [](TPackageWork &, const QString &) {
             if (BatchControlTargets().StopMeasurement)
                 BatchControlTargets().StopMeasurement();
         }},
        {"SAVE_PRT",
         [](TPackageWork &, const QString &argument) {
             if (BatchControlTargets().SaveProtocol)
                 BatchControlTargets().SaveProtocol(argument);
         }},
        {"NEW_CFG",
         [](TPackageWork &work, const QString &argument) {
             LoadNamedFile(work, argument, &TPackageWork::ConfigName, &TPackageWork::LoadConfig,
                           QStringLiteral("Не задано имя конфигурации в команде NEW_CFG"),
                           QStringLiteral("Конфигурация %1 не найдена"));
         }},
    };
    for (const Action &action : Actions)
        if (command == QLatin1String(action.command)) {
            // Taken: the controlling program sees "NONE" before the command's work begins.
            Log(QStringLiteral("Получена команда ") + command);
            WriteFileAtomically(MailboxPath(), MailboxAcknowledgement());
            QCoreApplication::processEvents();
            action.act(*this, argument);
            return;
        }
}

void TPackageWork::WriteEndMessage() {
    StopPolling();
    if (ResultCode == 0)
        return;
    for (const EndLine &line : EndLines)
        if (line.code == ResultCode) {
            AppendBatchLog(line.source, QString::fromUtf8(line.text));
            return;
        }
    AppendBatchLog(ProgramSource, QString());
}

BatchTargets &BatchControlTargets() {
    static BatchTargets targets;
    return targets;
}

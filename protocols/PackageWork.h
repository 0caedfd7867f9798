#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The batch controller: another program runs this one unattended through a schedule file, a command
// mailbox and the batch log. While it exists, every message box becomes a line of the batch log.
class TPackageWork {
public:
    explicit TPackageWork(const QString &scheduleFile);
    // Writes the end line of the result code and gives the message boxes back.
    ~TPackageWork();
    TPackageWork(const TPackageWork &) = delete;
    TPackageWork &operator=(const TPackageWork &) = delete;

    // Starts the run: the old log goes, the schedule is read, the instrument checked, the scenario or the
    // configuration loaded, and the mailbox polling starts unless something ended the run.
    void Start();
    // Records the result code; the first call asks the main window to close.
    void Finish(int code);
    // Reads and carries out the command of the mailbox; called by the main window's mailbox timer.
    void PollCommandFile();
    // A Stop turns the mailbox timer off; the run goes on listening once the Stop is over, unless the
    // run is ending.
    void ResumePolling();
    // The end of a scenario run.
    void ScenarioFinished();

    void ParseSchedule();
    void CheckUsbPort();
    void LoadScenario();
    void LoadConfig();

    bool CloseAtEnd = true;
    int ResultCode = 0;
    // The folder the run's results go to (the schedule's RESULT_PATH), ending in a separator.
    QString ResultPath;
    QString ScenarioName;
    QString ConfigName;
    QString UsbPort;
    QString ScheduleFile;
    bool ClosePosted = false;
    int PollPeriod = 1000; // ms

    // Set by the main window: start and stop its mailbox timer, and close it.
    std::function<void(int period)> OnStartPolling;
    std::function<void()> OnStopPolling;
    std::function<void()> OnCloseRequest;

private:
    void WriteEndMessage();
    // False when a schedule line ends the parsing.
    bool ParseScheduleLine(const QString &line);
    void CheckScheduleNames();
    void CarryOut(const QString &command, const QString &argument);
    void StartPolling();
    void StopPolling();

    bool pollingEnded_ = false;         // after CLOSE nothing more is read
    std::optional<QString> unfinished_; // a command line without its line end, seen at the last poll
};

extern TPackageWork *PackageWork;

struct MessageRequest;
// A message of a batch run as a line of the batch log, answered as its default button would answer. The
// main window keeps messages on this road after it deleted the controller, while its child windows
// close, so that no box opens at the end of a batch run either.
int LogBatchMessage(const MessageRequest &request);

// The first line of the mailbox: the command (trimmed) and its argument (without leading blanks), split at
// the first "=". Complete when the line had its line end; nothing for an empty mailbox.
struct MailboxLine {
    QString Command;
    QString Argument;
    QString Text;
    bool Complete = false;
};
std::optional<MailboxLine> ReadMailboxLine(const QByteArray &bytes);

// What the mailbox holds once a command has been taken: "NONE", the line end and a NUL.
QByteArray MailboxAcknowledgement();

QString MailboxPath();

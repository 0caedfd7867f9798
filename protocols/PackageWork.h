#pragma once

#include <QString>

#include <functional>

// The batch controller: another program runs this one unattended through a schedule file, a command
// mailbox and the batch log. While it exists, every message box becomes a line of the batch log.
class TPackageWork {
public:
    explicit TPackageWork(const QString &scheduleFile);
    // Writes the end line of the result code and gives the message boxes back.
    ~TPackageWork();
    TPackageWork(const TPackageWork &) = delete;
    TPackageWork &operator=(const TPackageWork &) = delete;

    // Starts the run: the old log is deleted, and the mailbox polling starts unless a result code is set.
    void Start();
    // Records the result code; the first call asks the main window to close.
    void Finish(int code);

    QString ScheduleFile;
    int ResultCode = 0;
    bool CloseAtEnd = true;
    int PollPeriod = 1000; // ms
    // The folder the run's results go to (the schedule's RESULT_PATH), ending in a separator.
    QString ResultPath;

    // Set by the main window: start and stop its mailbox timer, and close it.
    std::function<void(int period)> OnStartPolling;
    std::function<void()> OnStopPolling;
    std::function<void()> OnCloseRequest;

private:
    void WriteEndMessage();
    bool closeRequested_ = false;
};

extern TPackageWork *PackageWork;

// Reads and carries out the command of the mailbox; called by the main window's mailbox timer.
void PollCommandFile();

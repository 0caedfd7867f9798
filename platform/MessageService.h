#pragma once

#include <QString>

#include <functional>

// The one road for user messages. Normally a task-modal message box with the icon, caption and buttons
// that the message calls for; while batch control runs, no window may open: the text goes to the batch
// log instead and the call answers as if the default button had been pressed.

enum class MsgIcon { None, Information, Warning, Error, Question };

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };

// Answers, numbered as the program's callers compare them.
enum MsgResult : int { IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7 };

// The result code with which a message ends a batch run: a file that cannot be read or found, a fault of
// the schedule or of a command.
constexpr int BatchCloseCode = -5;

struct MessageRequest {
    QString text;
    QString caption;
    MsgIcon icon = MsgIcon::Warning;
    MsgButtons buttons = MsgButtons::Ok;
    int batchCode = 0; // result code that ends the batch run, 0 for a message after which it goes on
    int batchLogSource = 0; // the batch log's source of the line: 1 the files and the mailbox, 0 the program
};

int ShowMessage(const MessageRequest &request);

// Batch control installs this while it runs; it writes the batch log line and records the code.
// Returns the answer the caller gets instead of a box's.
using BatchMessageSink = std::function<int(const MessageRequest &)>;
void SetBatchMessageSink(BatchMessageSink sink);
bool BatchMessagesDiverted();

// Tests (and the offscreen end-to-end run) replace the box itself; an empty handler restores it.
using MessageBoxHandler = std::function<int(const MessageRequest &)>;
void SetMessageBoxHandler(MessageBoxHandler handler);

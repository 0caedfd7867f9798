#include "protocols/PackageWork.h"

#include "platform/MessageService.h"
#include "protocols/BatchLog.h"

#include <QFile>

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

} // namespace

TPackageWork::TPackageWork(const QString &scheduleFile) : ScheduleFile(scheduleFile) {
    SetBatchMessageSink([this](const MessageRequest &request) {
        AppendBatchLog(request.batchLogSource, request.text);
        if (request.batchCode != 0)
            Finish(request.batchCode);
        return DefaultAnswer(request.buttons);
    });
}

TPackageWork::~TPackageWork() {
    WriteEndMessage();
    SetBatchMessageSink({});
}

void TPackageWork::Start() {
    QFile::remove(BatchLogPath());
    if (ResultCode == 0 && OnStartPolling)
        OnStartPolling(PollPeriod);
}

void TPackageWork::Finish(int code) {
    ResultCode = code;
    if (closeRequested_)
        return;
    closeRequested_ = true;
    if (OnCloseRequest)
        OnCloseRequest();
}

void TPackageWork::WriteEndMessage() {
    if (OnStopPolling)
        OnStopPolling();
    if (ResultCode == 0)
        return;
    for (const EndLine &line : EndLines)
        if (line.code == ResultCode) {
            AppendBatchLog(line.source, QString::fromUtf8(line.text));
            return;
        }
    AppendBatchLog(0, QString());
}

// The mailbox commands join here with the scenario and configuration control of batch runs.
void PollCommandFile() {}

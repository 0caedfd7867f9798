#include "platform/MessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <array>
#include <cstdio>

namespace {

BatchMessageSink batchSink;
MessageBoxHandler boxHandler;

struct ButtonAnswer {
    QMessageBox::StandardButton button;
    MsgResult answer;
};

constexpr std::array<ButtonAnswer, 7> kButtonAnswers = {{
    {QMessageBox::Ok, IdOk},
    {QMessageBox::Cancel, IdCancel},
    {QMessageBox::Abort, IdAbort},
    {QMessageBox::Retry, IdRetry},
    {QMessageBox::Ignore, IdIgnore},
    {QMessageBox::Yes, IdYes},
    {QMessageBox::No, IdNo},
}};

struct ButtonSet {
    MsgButtons buttons;
    QMessageBox::StandardButtons shown;
    QMessageBox::StandardButton first;  // the default button
    QMessageBox::StandardButton escape; // the answer when the box is closed without a button
};

constexpr std::array<ButtonSet, 6> kButtonSets = {{
    {MsgButtons::Ok, QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok},
    {MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel},
    {MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No},
    {MsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
     QMessageBox::Cancel},
    {MsgButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry, QMessageBox::Cancel},
    {MsgButtons::AbortRetryIgnore, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort,
     QMessageBox::Abort},
}};

const ButtonSet &SetOf(MsgButtons buttons) {
    for (const ButtonSet &set : kButtonSets)
        if (set.buttons == buttons)
            return set;
    return kButtonSets[0];
}

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::None:
        return QMessageBox::NoIcon;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::Warning;
}

MsgResult AnswerOf(QMessageBox::StandardButton button) {
    for (const ButtonAnswer &b : kButtonAnswers)
        if (b.button == button)
            return b.answer;
    return IdCancel;
}

int ShowBox(const MessageRequest &request) {
    const ButtonSet &set = SetOf(request.buttons);
    QMessageBox box(IconOf(request.icon), request.caption, request.text, set.shown, QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    // The first button is the default one, as on the platform the messages were written for.
    box.setDefaultButton(set.first);
    box.setEscapeButton(set.escape);
    box.exec();
    QAbstractButton *pressed = box.clickedButton();
    return AnswerOf(pressed ? box.standardButton(pressed) : set.escape);
}

} // namespace

int ShowMessage(const MessageRequest &request) {
    // The sink, the handler and the box all belong to the main thread.
    QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() != app->thread()) {
        int answer = IdCancel;
        QMetaObject::invokeMethod(
            app, [&] { answer = ShowMessage(request); }, Qt::BlockingQueuedConnection);
        return answer;
    }
    if (batchSink)
        return batchSink(request);
    if (boxHandler)
        return boxHandler(request);
    if (!qobject_cast<QApplication *>(app)) {
        // No window system to ask: the text goes to the error output and the default button answers.
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(request.caption), qUtf8Printable(request.text));
        return AnswerOf(SetOf(request.buttons).first);
    }
    return ShowBox(request);
}

void SetBatchMessageSink(BatchMessageSink sink) {
    batchSink = std::move(sink);
}

bool BatchMessagesDiverted() {
    return static_cast<bool>(batchSink);
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
    boxHandler = std::move(handler);
}

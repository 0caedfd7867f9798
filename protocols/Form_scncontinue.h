#pragma once

#include "platform/SerialPort.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>

class QPlainTextEdit;
class QPushButton;
class QTimer;

// "Пауза в исполнении сценария": the message shown before a scenario row that pauses the run, with the
// button that continues it. With the technology switch, an instrument on USB and a technological port
// chosen, the pieces of the message enclosed in "@" go to the device on that port (19200 baud, 8N1), and
// the device's "@" continues the run as the button does. It frees itself when closed.
class TForm_ScnCont : public QDialog {
    Q_OBJECT
public:
    explicit TForm_ScnCont(QWidget *owner = nullptr);
    ~TForm_ScnCont() override;

    QPlainTextEdit *Memo1;
    QWidget *Panel1;
    QPushButton *BitBtn1; // "Продолжить исполнение сценария"
    QTimer *Timer1;       // 100 ms: waits for the device's "@"

    // What the button does: the scenario window's continue command, which closes this window.
    std::function<void()> Continue;

    // The message's commands to the device on the port, when it has any; then the wait for its "@".
    void SendPauseCommands(int techPort);

    // 0 the port is open and set, 1 it cannot be opened, 7 a setting was refused.
    int OpenTechPort(int techPort);
    // A message box, or in batch mode a line of the batch log: 1 the port is busy, 7 a system error, 77
    // no CTS.
    static void ShowPortError(int code, int techPort);

public slots:
    void Button1Click();
    void Timer1Timer();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void CheckCts(int techPort);
    bool WriteBytes(const QByteArray &bytes);

    SerialPort port_;
};

// The pause window, while it exists.
extern QPointer<TForm_ScnCont> Form_ScnCont;

// The pause before a row: the window (created once, owned by `owner`) shows "Пауза перед " and the
// configuration's file name, an empty line and the message's lines, with the first line selected; then,
// when the instrument is on USB, the technology switch is on and techPort is above 0, the message's
// commands go out on that port. `onContinue` is what the button (or the device's "@") does.
TForm_ScnCont *ShowScenarioPause(QWidget *owner, const QString &configFileName, const QStringList &messageLines,
                                 int techPort, std::function<void()> onContinue);

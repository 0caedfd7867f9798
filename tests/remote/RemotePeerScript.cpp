#include "RemotePeerScript.h"

#include "controls/Zeltcspinedit.h"
#include "engine/catalogue/ParamCatalogue.h"
#include "engine/catalogue/ParameterTable.h"
#include "engine/evaluation/ProtocolSnapshot.h"
#include "link/Dspio9.h"
#include "link/InstrumentIdent.h"
#include "link/Library.h"
#include "shell/Form_textmsg.h"
#include "shell/Main.h"
#include "shell/StatusBar2.h"
#include "shell/WindowRegistries.h"
#include "state/DeviceSettings.h"
#include "state/RemoteMessage.h"
#include "views/Form_parambase.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

namespace {

// Generous for a loaded two-core machine; a step normally holds within a second or two.
constexpr std::chrono::seconds StepTime(90);
constexpr int PollMs = 10;

QString Number(double value) {
    return QString::number(value, 'g', 9);
}

QWidget *SettingsWindow() {
    return Form_SetDev.data();
}

// The text-message window's list of texts, one line each, as the user reads them.
QString ReceivedTexts() {
    auto *window = qobject_cast<TForm_Txt *>(Form_Txt.data());
    return window ? window->RE_Get->toPlainText().replace(QLatin1Char('\n'), QLatin1Char(' ')) : QString();
}

} // namespace

void PeerSay(const QString &line) {
    std::fputs((line + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
}

TRemotePeerScript::TRemotePeerScript(TMainForm &window, QStringList steps) : window_(window), steps_(std::move(steps)) {
    timer_.setInterval(PollMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Next(); });
    // The test's go-aheads arrive on stdin; the reader lives as long as the process.
    std::thread([this] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::lock_guard lock(inputMutex_);
            input_.push_back(QString::fromStdString(line).trimmed());
        }
    }).detach();
}

void TRemotePeerScript::Start() {
    deadline_ = std::chrono::steady_clock::now() + StepTime;
    timer_.start();
}

void TRemotePeerScript::Next() {
    // A step that pumps events (a click whose handler waits) must not start the next one inside it.
    if (!timer_.isActive())
        return;
    timer_.stop();
    if (position_ >= steps_.size()) {
        PeerSay(QStringLiteral("end"));
        QCoreApplication::exit(0);
        return;
    }
    const QString step = steps_[position_];
    QStringList words = step.split(QLatin1Char(' '));
    const QString verb = words.takeFirst();
    const Outcome outcome = Run(verb, words);
    if (outcome == Outcome::Failed || (outcome == Outcome::Again && std::chrono::steady_clock::now() > deadline_)) {
        PeerSay(QStringLiteral("failed ") + step);
        Report(QStringLiteral("states"));
        QCoreApplication::exit(2);
        return;
    }
    if (outcome == Outcome::Done) {
        ++position_;
        started_ = false;
        deadline_ = std::chrono::steady_clock::now() + StepTime;
    }
    timer_.start();
}

TRemotePeerScript::Outcome TRemotePeerScript::Run(const QString &verb, const QStringList &args) {
    const QString arg = args.join(QLatin1Char(' '));
    if (verb == QLatin1String("start")) {
        // Start against the simulated instrument; done once it has identified itself.
        if (!started_) {
            started_ = true;
            window_.StatusBar2->SetPanelText(0, QStringLiteral("R-9"));
            window_.Button_Start->click();
        }
        if (InstrumentIdent.DspFirmwareVersion == 0)
            return Outcome::Again;
        PeerSay(QStringLiteral("started"));
        return Outcome::Done;
    }
    if (verb == QLatin1String("settings")) {
        window_.N_GenClick(nullptr);
        return SettingsWindow() ? Outcome::Done : Outcome::Failed;
    }
    if (verb == QLatin1String("exchange")) {
        auto *box = SettingsWindow() ? SettingsWindow()->findChild<QComboBox *>(QStringLiteral("RG_B_Precision")) : nullptr;
        if (!box)
            return Outcome::Failed;
        box->setCurrentIndex(arg.toInt());
        return Outcome::Done;
    }
    if (verb == QLatin1String("set") && args.size() == 2)
        return SetEdit(args[0], args[1].toDouble());
    if (verb == QLatin1String("click"))
        return Click(arg);
    if (verb == QLatin1String("send-text"))
        return SendText(arg);
    if (verb == QLatin1String("wait"))
        return Wait(arg);
    if (verb == QLatin1String("await"))
        return Heard(arg) ? Outcome::Done : Outcome::Again;
    if (verb == QLatin1String("say")) {
        PeerSay(arg);
        return Outcome::Done;
    }
    if (verb == QLatin1String("report")) {
        Report(arg);
        return Outcome::Done;
    }
    if (verb == QLatin1String("stop")) {
        // The protocol's save dialog of the Stop is told and declined: nobody sits at this program.
        QTimer::singleShot(0, [] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                PeerSay(QStringLiteral("dialog ") + dialog->windowTitle());
                dialog->reject();
            }
        });
        window_.StopMeasurement(QString(), false);
        return Outcome::Done;
    }
    PeerSay(QStringLiteral("unknown step ") + verb);
    return Outcome::Failed;
}

TRemotePeerScript::Outcome TRemotePeerScript::Wait(const QString &condition) {
    const TDeviceSettings &s = *DeviceSettings;
    bool holds = false;
    if (condition == QLatin1String("paired"))
        holds = s.PeerConnectState == 1;
    else if (condition == QLatin1String("linked"))
        holds = s.ConnectState == 2;
    else if (condition == QLatin1String("pairing-failed"))
        holds = s.ConnectState == -1;
    else if (condition == QLatin1String("unlinked"))
        holds = s.ConnectState <= 0 && s.PeerConnectState <= 0;
    else if (condition == QLatin1String("sin"))
        holds = s.Sin.State >= 1;
    else if (condition == QLatin1String("remote-sin"))
        holds = s.RemoteGenState[0] == 2;
    else if (condition == QLatin1String("results-ready"))
        holds = LocalProtocolSnapshot.HasData && LocalProtocolSnapshot.Results.size() > 8 &&
                LocalProtocolSnapshot.Results[8] == 1;
    else if (condition == QLatin1String("remote-results"))
        // The protocol takes the ready flag when it writes the peer's entry; the block stays.
        holds = !RemoteProtocolSnapshot.Results.empty();
    else if (condition == QLatin1String("text"))
        holds = ReceivedTexts().contains(QStringLiteral(">>Удаленный R-9:"));
    else {
        PeerSay(QStringLiteral("unknown condition ") + condition);
        return Outcome::Failed;
    }
    return holds ? Outcome::Done : Outcome::Again;
}

TRemotePeerScript::Outcome TRemotePeerScript::Click(const QString &name) {
    auto *button = SettingsWindow() ? SettingsWindow()->findChild<QPushButton *>(name) : nullptr;
    if (!button) {
        PeerSay(QStringLiteral("no button ") + name);
        return Outcome::Failed;
    }
    if (!button->isEnabled()) {
        PeerSay(QStringLiteral("disabled ") + name);
        return Outcome::Failed;
    }
    button->click();
    return Outcome::Done;
}

// As the user types a value and leaves the edit: its exit handling snaps it.
TRemotePeerScript::Outcome TRemotePeerScript::SetEdit(const QString &name, double value) {
    auto *edit = SettingsWindow() ? SettingsWindow()->findChild<TZeltCSpinEdit *>(name) : nullptr;
    if (!edit)
        return Outcome::Failed;
    edit->SetValue(value);
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &leave);
    return Outcome::Done;
}

TRemotePeerScript::Outcome TRemotePeerScript::SendText(const QString &text) {
    auto *window = qobject_cast<TForm_Txt *>(Form_Txt.data());
    if (!window)
        return Outcome::Failed;
    window->RE_Send->setPlainText(text);
    window->Btn_Send->click();
    return Outcome::Done;
}

void TRemotePeerScript::Report(const QString &what) {
    const TDeviceSettings &s = *DeviceSettings;
    if (what == QLatin1String("settings")) {
        PeerSay(QStringLiteral("settings ControlLevel=%1 ControlF1=%2 ControlFN=%3 ExchangeMode=%4 GenImpedance=%5 "
                               "GenRef=%6 MeterRef=%7 MeterImpedance=%8 Lmin=%9")
                    .arg(Number(s.ControlLevel), Number(s.ControlF1), Number(s.ControlFN), Number(s.ExchangeMode),
                         Number(s.GenImpedance), Number(s.GenRef), Number(s.MeterRef), Number(s.MeterImpedance),
                         Number(s.Lmin)) +
                QStringLiteral(" MinSnr=%1 BandF0=%2 BandF1=%3 AdcSizeIndex=%4 SpectrumStepIndex=%5 CableVelocity=%6 "
                               "SampleRate=%7")
                    .arg(Number(s.MinSnr), Number(s.BandF0), Number(s.BandF1), Number(s.AdcSizeIndex),
                         Number(s.SpectrumStepIndex), Number(s.CableVelocity), Number(s.SampleRate)));
        PeerSay(QStringLiteral("sin Level=%1 F1=%2").arg(Number(s.Sin.Level), Number(s.Sin.F1)));
    } else if (what == QLatin1String("states")) {
        PeerSay(QStringLiteral("states ConnectState=%1 PeerConnectState=%2 RemoteSin=%3 RemoteBlock=%4 Sin=%5 "
                               "ConnectionType=%6")
                    .arg(s.ConnectState)
                    .arg(s.PeerConnectState)
                    .arg(s.RemoteGenState[0])
                    .arg(s.RemoteGenState[4])
                    .arg(s.Sin.State)
                    .arg(s.ConnectionType));
        PeerSay(QStringLiteral("status ") + window_.StatusBar2->PanelText(3));
        PeerSay(QStringLiteral("line message=%1 mode=0x%2 busy=%3")
                    .arg(RemoteMessage.Size)
                    .arg(s.Mode, 0, 16)
                    .arg(DspIo && DspIo->MsgOutBusy() ? 1 : 0));
    } else if (what == QLatin1String("remote-results")) {
        const QWidget *table = BaseParWindows[1].data();
        PeerSay(QStringLiteral("remote-results kind=%1 size=%2 shown=%3")
                    .arg(RemoteSignalKind)
                    .arg(RemoteProtocolSnapshot.Results.size())
                    .arg(table && table->isVisible() ? 1 : 0));
        const ParameterTable t = ParameterTableOf(RemoteSignalKind);
        for (int32_t i = 0; t.Rows && t.RemoteResults && i < t.RowCount; ++i)
            PeerSay(QStringLiteral("remote-row ") + QString::fromUtf8(t.Rows[i].Caption).trimmed() +
                    QLatin1Char('=') + Number(t.RemoteResults[i].Value));
    } else if (what == QLatin1String("text")) {
        PeerSay(QStringLiteral("text ") + ReceivedTexts());
    } else {
        PeerSay(QStringLiteral("unknown report ") + what);
    }
}

bool TRemotePeerScript::Heard(const QString &word) {
    std::lock_guard lock(inputMutex_);
    for (auto it = input_.begin(); it != input_.end(); ++it)
        if (*it == word) {
            input_.erase(it);
            return true;
        }
    return false;
}

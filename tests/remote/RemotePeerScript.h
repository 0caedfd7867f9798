#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <deque>
#include <mutex>

class TMainForm;

// One analyser of a pair, driven by a script: each step is one word and its arguments ("click
// Button_CONNECT", "wait linked", "report settings", "await go"). Steps run one after another from the
// main window's event loop; a wait step is looked at again every few milliseconds until it holds or its
// time is up. What the analyser shows is written to stdout, one line per report, for the test that
// started it; "await" reads a word from stdin, the test's go-ahead.
class TRemotePeerScript : public QObject {
public:
    TRemotePeerScript(TMainForm &window, QStringList steps);
    void Start();

private:
    enum class Outcome { Done, Again, Failed };
    void Next();
    Outcome Run(const QString &verb, const QStringList &args);
    Outcome Wait(const QString &condition);
    Outcome Click(const QString &name);
    Outcome SetEdit(const QString &name, double value);
    Outcome SendText(const QString &text);
    void Report(const QString &what);
    bool Heard(const QString &word);

    TMainForm &window_;
    QStringList steps_;
    int position_ = 0;
    bool started_ = false; // the current step has begun (Start pressed, for "start")
    std::chrono::steady_clock::time_point deadline_;
    QTimer timer_;
    std::mutex inputMutex_;
    std::deque<QString> input_;
};

// What the peer writes, one line at a time, flushed at once.
void PeerSay(const QString &line);

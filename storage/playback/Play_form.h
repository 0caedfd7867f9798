#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
class QScrollBar;
class QToolBar;
class QToolButton;
class TR9_PlayData;
class TRadioGroup_Border;

// The playback bar: a small stay-on-top window with the transport buttons, the position in the
// recording, the recorded date and time, the stop-after choice and the option to use the recorded
// settings. It takes the playback steps on the main thread: one per turn of the event loop while
// playing, one per 100 ms while Step is held, none while paused. It frees itself when closed.
class TPlayForm : public QWidget {
    Q_OBJECT
public:
    TPlayForm(const QString &caption, const QString &baseName, QWidget *owner);
    ~TPlayForm() override;

    // Creates the playback of BaseName: 0 started, 1 a file failed to open (reported).
    int StartPlayback();
    void ShowOptions();

    void Button_StartClick();
    void Button_StopClick();
    void Button_StepMouseDown();
    void Button_StepMouseUp();
    void Button_StepClick();
    void Button_ParamClick();
    void Button1Click();
    void RG1Click();
    // Asks before playback ends; false keeps the bar open and its state as it was.
    bool FormCloseQuery();

    TR9_PlayData *PlayData() const { return playData_.get(); }
    bool Playing() const { return stepTimer_.isActive(); }

    QString BaseName;
    QLabel *Label1;
    QScrollBar *Play_Bar;
    QToolBar *ToolBar1;
    QLabel *TimePanel;
    QLabel *DatePanel;
    QToolButton *Button_Param;
    QToolButton *Button_Start;
    QToolButton *Button_Stop;
    QToolButton *Button_Step;
    QToolButton *Button1;
    TRadioGroup_Border *RG1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void TakeStep();
    void Resume(int intervalMs);
    void Suspend();
    void ShowPaused();
    void FormClose();

    std::unique_ptr<TR9_PlayData> playData_;
    QTimer stepTimer_;
    bool stepHeld_ = false;
};

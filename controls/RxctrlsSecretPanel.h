#pragma once

#include "controls/RxctrlsGlyph.h"
#include "controls/Rxtimer.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <mutex>

enum TBevelCut { bvCutNone, bvCutLowered, bvCutRaised, bvCutSpace };
enum TScrollDirection { sdVertical, sdHorizontal };
enum TGlyphLayout { glGlyphLeft, glGlyphRight, glGlyphTop, glGlyphBottom };
// A panel that, while active, hides its children and scrolls its text lines through its client area one
// pixel per tick of its thread timer, upwards or from right to left, beside an optional picture. With
// AsyncDrawing (the default) each tick paints on the timer's worker thread into an image held under the
// image lock, and the finished picture is handed to the widget under the panel lock, in that order.
class TSecretPanel : public QWidget {
    Q_OBJECT
public:
    using TPanelDrawEvent = std::function<void(TSecretPanel *, QPainter &, const QRect &)>;

    explicit TSecretPanel(QWidget *parent = nullptr);
    ~TSecretPanel() override;

    bool Active() const { return active_; }
    void SetActive(bool value);
    void Play() { SetActive(true); }
    void Stop() { SetActive(false); }
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment value);
    const QStringList &Lines() const { return lines_; }
    void SetLines(const QStringList &value);
    bool Cycled() const { return cycled_; }
    void SetCycled(bool value) { cycled_ = value; }
    const QImage &Glyph() const { return glyph_; }
    void SetGlyph(const QImage &value);
    TGlyphLayout GlyphLayout() const { return glyphLayout_; }
    void SetGlyphLayout(TGlyphLayout value);
    TBevelCut TextStyle() const { return textStyle_; }
    void SetTextStyle(TBevelCut value);
    TScrollDirection ScrollDirection() const { return scrollDirection_; }
    void SetScrollDirection(TScrollDirection value);
    bool AsyncDrawing() const { return asyncDrawing_; }
    void SetAsyncDrawing(bool value);
    uint32_t Interval() const { return timer_->Interval(); }
    void SetInterval(uint32_t value) { timer_->SetInterval(value); }
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);

    TPanelDrawEvent OnPaintClient;
    std::function<void(TSecretPanel *)> OnStartPlay;
    std::function<void(TSecretPanel *)> OnStopPlay;

    // The geometry of the run, for a look from outside.
    int GetInflateWidth() const;
    QRect TextRect() const { return textRect_; }
    QPoint GlyphOrigin() const { return glyphOrigin_; }
    int LineHeight() const { return lineHeight_; }
    int ScrollLength() const;
    int ScrollPos() const;
    int FirstLine() const { return firstLine_; }
    // The picture the last tick handed over.
    QImage ShownImage() const;
    TRxTimer *Timer() const { return timer_.get(); }

    // One tick: on the worker thread with AsyncDrawing, on the main thread otherwise.
    void TimerExpired();

protected:
    virtual void PaintClient(QPainter &painter, const QRect &rect);
    virtual void StartPlay();
    virtual void StopPlay();
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void UpdateMemoryImage();
    void RecalcDrawRect();
    void PaintText();
    void RebuildIfActive();

    bool active_ = false;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    QStringList lines_;
    bool cycled_ = false;
    int scrollPos_ = 0;
    int scrollLength_ = 0;
    int lineHeight_ = 1;
    int firstLine_ = 0;
    QRect textRect_;
    QRect frameRect_;
    QPoint glyphOrigin_;
    // The off-screen picture of the text rectangle, present only while playing; its lock is taken first.
    std::unique_ptr<QImage> memoryImage_;
    // What the worker draws with, copied from the widget while the picture is rebuilt.
    QFont drawFont_;
    QColor backColor_;
    QColor fontColor_;
    QColor highlightColor_;
    mutable std::mutex imageLock_;
    // The picture handed to the widget; its lock is taken second.
    QImage shown_;
    mutable std::mutex panelLock_;
    QImage glyph_;
    QList<QPointer<QWidget>> hiddenControls_;
    TBevelCut textStyle_ = bvCutNone;
    TScrollDirection scrollDirection_ = sdVertical;
    TGlyphLayout glyphLayout_ = glGlyphLeft;
    bool asyncDrawing_ = true;
    TPanelBevel bevelOuter_ = bvLowered;
    TPanelBevel bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    bool destroying_ = false;
    // Last, so that it goes first: its worker is joined before anything it touches.
    std::unique_ptr<TRxTimer> timer_;
};

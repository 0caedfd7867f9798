#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

// The main window's status bar: a row of panels, each a text with its own width. Panels marked owner-drawn
// are painted by OnDrawPanel; the last panel before an owner-drawn tail can be given the width that is
// left. Clicks and mouse moves report the position so that the owner decides by panel.
class TStatusBar2 : public QWidget {
    Q_OBJECT
    // The texts of all panels, for windows that show them without knowing the main window (the header of
    // a printed chart).
    Q_PROPERTY(QStringList PanelTexts READ PanelTexts)
public:
    explicit TStatusBar2(QWidget *parent = nullptr);

    int PanelCount() const { return int(panels_.size()); }
    void SetPanelCount(int count);
    QString PanelText(int panel) const;
    QStringList PanelTexts() const;
    void SetPanelText(int panel, const QString &text);
    int PanelWidth(int panel) const;
    void SetPanelWidth(int panel, int width);
    void SetOwnerDrawn(int panel, bool ownerDrawn);
    // The panel whose width follows the bar: the bar's width minus every other panel.
    void SetSpringPanel(int panel) { springPanel_ = panel; }
    QRect PanelRect(int panel) const;
    int PanelAt(int x) const; // -1 beyond the last panel

    // The canvas width of "u" + text + "u", the width a text panel is fitted to.
    int FittedWidth(const QString &text) const;
    void FitPanel(int panel);

    // Set by code that shows a transient text; read and reset by the owner's drawing.
    int Tag = 0;

    std::function<void(QPainter &, int panel, const QRect &)> OnDrawPanel;

signals:
    void PanelClicked(QPoint position);
    void MouseMoved(QPoint position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Panel {
        QString text;
        int width = 50;
        bool ownerDrawn = false;
    };
    std::vector<Panel> panels_;
    int springPanel_ = -1;
};

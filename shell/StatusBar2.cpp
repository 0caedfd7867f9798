#include "shell/StatusBar2.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

constexpr int PanelGap = 2;

} // namespace

TStatusBar2::TStatusBar2(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("StatusBar2"));
    setMouseTracking(true);
    setFixedHeight(fontMetrics().height() + 8);
}

void TStatusBar2::SetPanelCount(int count) {
    panels_.resize(std::size_t(std::max(count, 0)));
    update();
}

QString TStatusBar2::PanelText(int panel) const {
    return panel >= 0 && panel < PanelCount() ? panels_[std::size_t(panel)].text : QString();
}

QStringList TStatusBar2::PanelTexts() const {
    QStringList texts;
    for (const Panel &panel : panels_)
        texts << panel.text;
    return texts;
}

void TStatusBar2::SetPanelText(int panel, const QString &text) {
    if (panel < 0 || panel >= PanelCount())
        return;
    panels_[std::size_t(panel)].text = text;
    update();
}

int TStatusBar2::PanelWidth(int panel) const {
    if (panel < 0 || panel >= PanelCount())
        return 0;
    if (panel != springPanel_)
        return panels_[std::size_t(panel)].width;
    int others = 0;
    for (int i = 0; i < PanelCount(); ++i)
        if (i != panel)
            others += panels_[std::size_t(i)].width + PanelGap;
    return std::max(0, width() - others - PanelGap);
}

void TStatusBar2::SetPanelWidth(int panel, int width) {
    if (panel < 0 || panel >= PanelCount())
        return;
    panels_[std::size_t(panel)].width = std::max(0, width);
    update();
}

void TStatusBar2::SetOwnerDrawn(int panel, bool ownerDrawn) {
    if (panel >= 0 && panel < PanelCount())
        panels_[std::size_t(panel)].ownerDrawn = ownerDrawn;
}

QRect TStatusBar2::PanelRect(int panel) const {
    int left = 0;
    for (int i = 0; i < panel && i < PanelCount(); ++i)
        left += PanelWidth(i) + PanelGap;
    return QRect(left, 1, PanelWidth(panel), height() - 2);
}

int TStatusBar2::PanelAt(int x) const {
    int right = 0;
    for (int i = 0; i < PanelCount(); ++i) {
        right += PanelWidth(i) + PanelGap;
        if (x < right)
            return i;
    }
    return -1;
}

int TStatusBar2::FittedWidth(const QString &text) const {
    return fontMetrics().horizontalAdvance(QStringLiteral("u") + text + QStringLiteral("u"));
}

void TStatusBar2::FitPanel(int panel) {
    SetPanelWidth(panel, FittedWidth(PanelText(panel)));
}

void TStatusBar2::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < PanelCount(); ++i) {
        const QRect r = PanelRect(i);
        painter.setPen(palette().mid().color());
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        const QRect inner = r.adjusted(1, 1, -1, -1);
        if (panels_[std::size_t(i)].ownerDrawn && OnDrawPanel) {
            painter.save();
            painter.setClipRect(inner);
            OnDrawPanel(painter, i, inner);
            painter.restore();
        } else {
            painter.setPen(palette().windowText().color());
            painter.drawText(inner.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             panels_[std::size_t(i)].text);
        }
    }
}

void TStatusBar2::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        emit PanelClicked(event->position().toPoint());
}

void TStatusBar2::mouseMoveEvent(QMouseEvent *event) {
    emit MouseMoved(event->position().toPoint());
}

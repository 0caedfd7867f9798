#include "views/Fgraph.h"

#include "chart/Chart.h"
#include "engine/EngineBuffers.h"
#include "engine/catalogue/ParamDescriptor.h"
#include "engine/evaluation/PointVerdicts.h"
#include "engine/masks/MaskArray.h"
#include "engine/masks/MaskSlot.h"
#include "views/GraphHost.h"
#include "views/Scalelabel.h"
#include "views/masks/MaskDrawing.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSpinBox>
#include <QToolButton>

#include <algorithm>

namespace {

bool ActiveMask(const TMASK *mask) {
    return mask && mask->Active;
}

QString FirstName(const TMASK *mask) {
    return mask->Names.isEmpty() ? QString() : mask->Names.first();
}

QToolButton *MaskButton(QWidget *parent, const char *name, const QString &text) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setAutoRaise(true);
    return button;
}

} // namespace

void TForm_Graphic::BuildMaskPanel() {
    Mask_Panel = new QWidget(this);
    Mask_Panel->setObjectName(QStringLiteral("Mask_Panel"));
    auto *layout = new QHBoxLayout(Mask_Panel);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    Label_TopMask = new QLabel(Mask_Panel);
    Label_TopMask->setObjectName(QStringLiteral("Label_TopMask"));
    SBtn_TopMask = MaskButton(Mask_Panel, "SBtn_TopMask", QStringLiteral("..."));
    Label_DnMask = new QLabel(Mask_Panel);
    Label_DnMask->setObjectName(QStringLiteral("Label_DnMask"));
    SBtn_DnMask = MaskButton(Mask_Panel, "SBtn_DnMask", QStringLiteral("..."));
    for (QLabel *label : {Label_TopMask, Label_DnMask})
        label->setAutoFillBackground(true);
    for (QWidget *control : std::initializer_list<QWidget *>{Label_TopMask, SBtn_TopMask, Label_DnMask, SBtn_DnMask})
        layout->addWidget(control);
    layout->addStretch();
    ScrollMask_Panel = new QWidget(Mask_Panel);
    ScrollMask_Panel->setObjectName(QStringLiteral("ScrollMask_Panel"));
    auto *scroll = new QHBoxLayout(ScrollMask_Panel);
    scroll->setContentsMargins(0, 0, 0, 0);
    SBtn_Left = MaskButton(ScrollMask_Panel, "SBtn_Left", QStringLiteral("<"));
    Edit_ScaleMask = new QSpinBox(ScrollMask_Panel);
    Edit_ScaleMask->setObjectName(QStringLiteral("Edit_ScaleMask"));
    Edit_ScaleMask->setRange(1, 200);
    Edit_ScaleMask->setValue(100);
    Edit_ScaleMask->setSuffix(QStringLiteral(" %"));
    SBtn_Right = MaskButton(ScrollMask_Panel, "SBtn_Right", QStringLiteral(">"));
    scroll->addWidget(SBtn_Left);
    scroll->addWidget(Edit_ScaleMask);
    scroll->addWidget(SBtn_Right);
    layout->addWidget(ScrollMask_Panel);
    Mask_Panel->hide();

    connect(SBtn_TopMask, &QToolButton::pressed, this, [this] { SBtn_MaskMouseDown(0); });
    connect(SBtn_DnMask, &QToolButton::pressed, this, [this] { SBtn_MaskMouseDown(1); });
    for (QToolButton *button : {SBtn_TopMask, SBtn_DnMask})
        connect(button, &QToolButton::released, this, &TForm_Graphic::SBtn_MaskMouseUp);
    connect(SBtn_Left, &QToolButton::pressed, this, [this] {
        Chart1Click();
        SBtn_ShiftMouseDown(-1, QGuiApplication::queryKeyboardModifiers());
    });
    connect(SBtn_Right, &QToolButton::pressed, this,
            [this] { SBtn_ShiftMouseDown(1, QGuiApplication::queryKeyboardModifiers()); });
    for (QToolButton *button : {SBtn_Left, SBtn_Right})
        connect(button, &QToolButton::released, this, &TForm_Graphic::SBtn_ShiftMouseUp);
    connect(Edit_ScaleMask, &QSpinBox::valueChanged, this, &TForm_Graphic::Edit_ScaleMaskChange);
}

int32_t TForm_Graphic::MaskSlot() const {
    return MaskSlotOf(SignalKind, kind_);
}

void TForm_Graphic::RebindMasks(int which) {
    if (which == 2) {
        BindMask(0);
        BindMask(1);
    } else if (which == 0 || which == 1) {
        BindMask(which);
    }
    UpdateMaskPanel();
}

void TForm_Graphic::ResetMaskBinding() {
    SeenSignalKind = -9999999;
    masks_[0] = masks_[1] = nullptr;
    WindowMaskSlot = -1;
}

void TForm_Graphic::BindMask(int side) {
    const int32_t slot = MaskSlot();
    TMASK *mask = slot >= 0 && PointVerdictSize(slot) >= 0 ? SlotMask(slot, side) : nullptr;
    masks_[side] = mask;
    if (mask)
        WindowMaskSlot = slot;
    else if (slot < 0 || (!SlotMask(slot, 0) && !SlotMask(slot, 1)))
        WindowMaskSlot = -1;
    if (mask) {
        const QSignalBlocker quiet(Edit_ScaleMask);
        Edit_ScaleMask->setValue(mask->Scale);
        mask->Colour = MaskColours[side];
        mask->IsLine = uint8_t(MaskIsLine[side]);
        mask->Width = uint8_t(MaskWidths[side]);
    }
    param_ = FindKindParam();
    if (!param_)
        return;
    if (mask) {
        const ParamSettings &s = param_->Settings;
        mask->Active = side == 0 ? (s.Analyse && s.ApplyUpper && param_->UpperNormAllowed)
                                 : (s.Analyse && s.ApplyLower && param_->LowerNormAllowed);
    }
    // The value windows of this kind's points judge by the verdicts of the slot now bound.
    const bool verdicts = WindowMaskSlot >= 0 && PointVerdictSize(WindowMaskSlot) >= 0;
    for (const QPointer<QWidget> &slotWindow : ScaleLabelWindows) {
        auto *valueWindow = qobject_cast<TFormScaleLabel *>(slotWindow.data());
        if (!valueWindow || valueWindow->Key || valueWindow->FormIndexPar != kind_)
            continue;
        valueWindow->IndexMask = int16_t(valueWindow->IndexNorm >= 0 && verdicts ? WindowMaskSlot : -1);
    }
    UpdateMaskMenuItem(side);
}

void TForm_Graphic::UpdateMaskMenuItem(int side) {
    const int tag = 100 + side;
    for (QAction *item : PopupMenu_Chart->actions())
        if (item->property("Tag").toInt() == tag) {
            PopupMenu_Chart->removeAction(item);
            delete item;
            break;
        }
    const TMASK *mask = masks_[side];
    if (ActiveMask(mask) && !mask->Names.isEmpty()) {
        const QString caption = (side == 0 ? QStringLiteral("Норма сверху: ") : QStringLiteral("Норма снизу: ")) +
                                FirstName(mask) + (mask->Names.size() > 1 ? QStringLiteral("...") : QString());
        QAction *item = PopupMenu_Chart->addAction(caption);
        item->setProperty("Tag", tag);
        connect(item, &QAction::triggered, this, [this, side] { ShowMaskColourDialog(side); });
    }
    Chart1->Repaint();
}

void TForm_Graphic::UpdateMaskPanel() {
    const bool upper = ActiveMask(masks_[0]);
    const bool lower = ActiveMask(masks_[1]);
    Mask_Panel->setVisible(upper || lower);
    Label_TopMask->setVisible(upper);
    SBtn_TopMask->setVisible(upper && masks_[0]->Names.size() > 1);
    Label_DnMask->setVisible(lower);
    SBtn_DnMask->setVisible(lower && masks_[1]->Names.size() > 1);
    if (upper)
        Label_TopMask->setText(QStringLiteral(" норма сверху: ") + FirstName(masks_[0]) + QLatin1Char(' '));
    if (lower)
        Label_DnMask->setText(QStringLiteral(" норма снизу: ") + FirstName(masks_[1]) + QLatin1Char(' '));
    ScrollMask_Panel->setVisible(kind_ == 0 && (upper || lower));
    ColourMaskLabels();
}

void TForm_Graphic::ColourMaskLabels() {
    // Under PRBS nothing judges the oscillogram, so its masks keep whatever mark an earlier kind left.
    const bool judged = !(kind_ == 0 && SignalKind == 4);
    const TMASK *sides[2] = {masks_[0], masks_[1]};
    QLabel *labels[2] = {Label_TopMask, Label_DnMask};
    for (int side = 0; side < 2; ++side) {
        QPalette look = palette();
        look.setColor(QPalette::Window, look.color(QPalette::Button));
        const TMASK *mask = sides[side];
        if (ActiveMask(mask) && judged && mask->Passed == 0) {
            look.setColor(QPalette::Window, WinColor(mask->Colour));
            if (((mask->Colour >> 8) & 0xFF) != 0xFF)
                look.setColor(QPalette::WindowText, Qt::white);
        }
        labels[side]->setPalette(look);
    }
}

void TForm_Graphic::SBtn_MaskMouseDown(int side) {
    SBtn_MaskMouseUp();
    const TMASK *mask = masks_[side];
    if (!mask)
        return;
    const QLabel *label = side == 0 ? Label_TopMask : Label_DnMask;
    const QToolButton *button = side == 0 ? SBtn_TopMask : SBtn_DnMask;
    MaskFileList = new QListWidget(this);
    MaskFileList->setObjectName(QStringLiteral("MaskFileList"));
    MaskFileList->addItems(mask->Names);
    MaskFileList->setCurrentRow(-1);
    int width = label->width() + button->width() + 1;
    const QFontMetrics metrics(MaskFileList->font());
    for (const QString &name : mask->Names)
        width = std::max(width, metrics.horizontalAdvance(QLatin1Char('|') + name + QLatin1Char('|')));
    const int itemHeight = std::max(MaskFileList->sizeHintForRow(0), metrics.height());
    const int height = int(itemHeight * (mask->Names.size() + 0.3) + 1);
    MaskFileList->setGeometry(label->mapTo(this, QPoint(0, 0)).x(), Mask_Panel->height(), width, height);
    MaskFileList->show();
    MaskFileList->raise();
}

void TForm_Graphic::SBtn_MaskMouseUp() {
    delete MaskFileList;
    MaskFileList = nullptr;
}

void TForm_Graphic::DrawMasks(QPainter &painter) {
    TChartAxis &bottom = Chart1->BottomAxis();
    TChartAxis &left = Chart1->LeftAxis();
    const TMaskView view{bottom.Minimum(),
                         bottom.Maximum(),
                         left.Minimum(),
                         left.Maximum(),
                         [&bottom](double x) { return double(bottom.CalcPosValue(x)); },
                         [&left](double y) { return double(left.CalcPosValue(y)); }};
    for (const TMASK *mask : masks_)
        if (ActiveMask(mask))
            DrawMaskOnChart(painter, *mask, view);
}

#include "shell/Main.h"

#include "chart/Chart.h"
#include "chart/ChartScaleSteps.h"
#include "chart/ChartlibChart.h"
#include "engine/catalogue/GraphKindTable.h"
#include "engine/evaluation/MasterCurves.h"
#include "platform/NoValue.h"
#include "state/DeviceSettings.h"
#include "views/CursorOnGraph.h"
#include "views/Fgraph.h"
#include "views/Form_timediagr.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {

// The buttons of the scale page in their order, with their ScaleChart codes.
struct ScaleButton {
    int code;
    const char *name;
    const char *text;
    const char *hint;
};
constexpr ScaleButton ScaleButtons[] = {
    {1, "Restore_ToolButton", "Восстановить", "Восстановить масштаб"},
    {2, "Zoom_ToolButton", "+", "Увеличить"},
    {3, "UndoZoom_ToolButton", "-", "Уменьшить"},
    {4, "ZoomY_ToolButton", "+Y", "Увеличение по  Y"},
    {10, "UndoY_ToolButton", "-Y", "Уменьшение по Y"},
    {5, "ZoomX_ToolButton", "+X", "Увеличение по X"},
    {11, "UndoX_ToolButton", "-X", "Уменьшение по X"},
    {6, "StepUp_ToolButton", "↑", "Сдвиг вверх"},
    {7, "StepDown_ToolButton", "↓", "Сдвиг вниз"},
    {8, "StepLeft_ToolButton", "←", "Сдвиг влево"},
    {9, "StepRight_ToolButton", "→", "Сдвиг вправо"},
    {12, "Tlb_ClearAll", "Очистить", "Очистить графики"},
    {13, "Tlb_AutoY", "Авто Y", "Автоматическое масштабирование по оси Y"},
};

// The StepChart code of the scale codes 4 to 11.
int StepCode(int code) {
    switch (code) {
    case 4:
        return 1;
    case 5:
        return 2;
    case 6:
        return 7;
    case 7:
        return 8;
    case 8:
        return 9;
    case 9:
        return 10;
    case 10:
        return 3;
    case 11:
        return 4;
    default:
        return 0;
    }
}

// The value ranges of all data series of a chart together; x stays the sentinel without points.
void CurvesValueRange(const TCursorSet &cursors, int gapMode, double &yMin, double &yMax, double &xMin, double &xMax) {
    yMin = 1e9;
    yMax = -1e9;
    xMin = xMax = NoValue;
    for (const TChartSeries *series : DataSeries(cursors)) {
        double low = 0, high = 0, from = 0, to = 0;
        SeriesValueRange(*series, low, high, from, to, gapMode);
        yMin = std::min(yMin, low);
        yMax = std::max(yMax, high);
        if (from != NoValue)
            xMin = xMin == NoValue ? from : std::min(xMin, from);
        if (to != NoValue)
            xMax = xMax == NoValue ? to : std::max(xMax, to);
    }
}

QLabel *ReadoutLabel(QToolBar *bar, const char *name) {
    auto *label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    label->setMinimumWidth(110);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setEnabled(false);
    bar->addWidget(label);
    return label;
}

} // namespace

void TMainForm::BuildScaleBar() {
    for (const ScaleButton &entry : ScaleButtons) {
        QToolButton *button =
            AddButton(ToolBar_Scale, entry.name, QString::fromUtf8(entry.text), QString::fromUtf8(entry.hint));
        button->setProperty("Code", entry.code);
        connect(button, &QToolButton::clicked, this, [this, button] { Zoom_UnZoom(button); });
    }
}

void TMainForm::BuildCursorBar() {
    Button_Curs1 = AddButton(ToolBar_Cursor, "Button_Curs1", QStringLiteral("Курсор 1"), QStringLiteral("Курсор №1"));
    Button_Curs2 = AddButton(ToolBar_Cursor, "Button_Curs2", QStringLiteral("Курсор 2"), QStringLiteral("Курсор №2"));
    for (QToolButton *button : {Button_Curs1, Button_Curs2}) {
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button->setPopupMode(QToolButton::MenuButtonPopup);
        BindImageList(button, ImageLists.ImageList_Buttons);
        button->setEnabled(false);
    }
    Button_Curs1->setProperty("ImageIndex", CursorImage1);
    Button_Curs2->setProperty("ImageIndex", CursorImage2);
    connect(Button_Curs1, &QToolButton::clicked, this, &TMainForm::Button_Curs1Click);
    connect(Button_Curs2, &QToolButton::clicked, this, &TMainForm::Button_Curs2Click);
    Label_Curs1 = ReadoutLabel(ToolBar_Cursor, "Label_Curs1");
    Label_Curs2 = ReadoutLabel(ToolBar_Cursor, "Label_Curs2");
    Label_DelCurs = ReadoutLabel(ToolBar_Cursor, "Label_DelCurs");
    CursorBar.Button_Curs1 = Button_Curs1;
    CursorBar.Button_Curs2 = Button_Curs2;
    CursorBar.Label_Curs1 = Label_Curs1;
    CursorBar.Label_Curs2 = Label_Curs2;
    CursorBar.Label_DelCurs = Label_DelCurs;
    CursorBar.IsActiveChild = [form = QPointer<TMainForm>(this)](const QWidget *window) {
        const QMdiSubWindow *active = form ? form->MdiArea->activeSubWindow() : nullptr;
        return active && active->widget() == window;
    };
}

void TMainForm::Button_Curs1Click() {
    Button_Curs1->setProperty("ImageIndex", CursorImage1Selected);
    Button_Curs2->setProperty("ImageIndex", CursorImage2);
    if (QMdiSubWindow *active = MdiArea->activeSubWindow())
        active->widget()->setFocus();
}

void TMainForm::Button_Curs2Click() {
    Button_Curs2->setProperty("ImageIndex", CursorImage2Selected);
    Button_Curs1->setProperty("ImageIndex", CursorImage1);
    if (QMdiSubWindow *active = MdiArea->activeSubWindow())
        active->widget()->setFocus();
}

void TMainForm::Zoom_UnZoom(QToolButton *sender) {
    QMdiSubWindow *active = MdiArea->activeSubWindow();
    if (!active)
        return;
    const int code = sender->property("Code").toInt();
    if (auto *graph = qobject_cast<TForm_Graphic *>(active->widget()))
        ScaleChart(code, *graph->Chart1, 1, graph);
    else if (auto *diagram = qobject_cast<TForm_TimeDiagram *>(active->widget()))
        ScaleChart(code, *diagram->Chart1, 2, diagram);
}

// Graph windows (kind 1) and time diagrams (kind 2) share the commands; they differ in what Clear empties,
// in the Y resolution, and in the masks, which only graph windows have.
void TMainForm::ScaleChart(int code, TChart &chart, int windowKind, QWidget *window) {
    auto *graph = windowKind == 1 ? qobject_cast<TForm_Graphic *>(window) : nullptr;
    auto *diagram = windowKind == 2 ? qobject_cast<TForm_TimeDiagram *>(window) : nullptr;
    if (!graph && !diagram)
        return;
    const TCursorSet &cursors = graph ? graph->CursorSet : diagram->CursorSet;
    switch (code) {
    case 1:
        graph ? graph->RestoreYRange() : diagram->RestoreYRange();
        chart.UndoZoomByCode();
        break;
    case 2:
        chart.ZoomPercent(120);
        break;
    case 3:
        chart.ZoomPercent(80);
        break;
    case 12:
        if (diagram) {
            diagram->ClearLines();
            break;
        }
        if (IsSelectiveKind(graph->Kind()))
            break;
        for (TChartSeries *series : DataSeries(cursors))
            series->Clear();
        if (graph->Kind() == 18)
            CreateMasterFreqParam();
        else if (graph->Kind() == 19)
            CreateMasterLevParam();
        chart.Repaint();
        break;
    case 13: {
        double yMin = 0, yMax = 0, xMin = 0, xMax = 0;
        const int gapMode = graph && (graph->Kind() == 21 || graph->Kind() == 22) ? 1 : 0;
        CurvesValueRange(cursors, gapMode, yMin, yMax, xMin, xMax);
        const bool remote = DeviceSettings->PeerConnectState > 0;
        if (remote && graph)
            MaskRangeForAutoY(graph->WindowMaskSlot, xMin, xMax, yMin, yMax);
        TChartAxis &left = chart.LeftAxis();
        const double resolution = graph ? graph->YIncrement : diagram->YIncrement;
        if (AutomaticYRange(yMin, yMax, resolution, remote, left.Minimum(), left.Maximum())) {
            left.SetMinMax(yMin, yMax);
            chart.Repaint();
        }
        break;
    }
    default:
        if (const int step = StepCode(code))
            StepChart(chart, step);
        break;
    }
    graph ? graph->StoreYRange() : diagram->StoreYRange();
}

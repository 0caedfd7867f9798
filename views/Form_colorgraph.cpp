#include "views/Form_colorgraph.h"

#include "chart/ChartSeries.h"
#include "controls/FormHelpers.h"
#include "controls/Vclutils.h"
#include "views/Fgraph.h"
#include "views/masks/ColourSwatch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

bool IsSpectrumWithBand(int32_t kind) {
    return kind == 1 || kind == 21;
}

// Spectra and phasograms keep the pen width their window gives them.
bool KeepsItsWidth(int32_t kind) {
    return kind == 1 || kind == 2 || kind == 16 || kind == 17 || kind == 21 || kind == 22;
}

const char *const MarkerNames[TChartSeries::PointerStyleCount] = {
    "Квадрат",     "Круг",   "Треугольник", "Перевернутый Треугольник", "Пересечение", "Косое пересечение",
    "Звезда",      "Алмаз",  "Маленькая точка"};

} // namespace

TForm_Color::TForm_Color(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form_Color"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    Label2 = NamedControl(new QLabel(QStringLiteral("Цвет графика:"), this), "Label2");
    Shape1 = NamedControl(new TColourSwatch(this), "Shape1");
    Label3 = NamedControl(new QLabel(QStringLiteral("Полоса анализа:"), this), "Label3");
    Shape2 = NamedControl(new TColourSwatch(this), "Shape2");
    Label4 = NamedControl(new QLabel(QStringLiteral("Распознанный сигнал:"), this), "Label4");
    Shape3 = NamedControl(new TColourSwatch(this), "Shape3");
    for (QWidget *control : std::initializer_list<QWidget *>{Label3, Shape2, Label4, Shape3})
        control->setEnabled(false);
    Label6 = NamedControl(new QLabel(QStringLiteral("Толщина линии"), this), "Label6");
    CSEdit_Width = NamedControl(new QSpinBox(this), "CSEdit_Width");
    CSEdit_Width->setRange(0, 10);
    CSEdit_Width->setValue(3);

    RadioGroup2 = NamedControl(new QGroupBox(QStringLiteral("Тип марки"), this), "RadioGroup2");
    CBox_Mark = NamedControl(new QCheckBox(QStringLiteral("Видимость марки"), RadioGroup2), "CBox_Mark");
    RadioButton3 = NamedControl(new QRadioButton(QStringLiteral("Значение по оси Y"), RadioGroup2), "RadioButton3");
    RadioButton6 = NamedControl(new QRadioButton(QStringLiteral("Значение по оси X"), RadioGroup2), "RadioButton6");
    RadioButton3->setChecked(true);
    auto *marks = new QVBoxLayout(RadioGroup2);
    for (QWidget *control : std::initializer_list<QWidget *>{CBox_Mark, RadioButton3, RadioButton6})
        marks->addWidget(control);

    GroupBox6 = NamedControl(new QGroupBox(QStringLiteral("Маркер"), this), "GroupBox6");
    CBox_Marker = NamedControl(new QCheckBox(QStringLiteral("Видимость маркера"), GroupBox6), "CBox_Marker");
    Point_ComboBox = NamedControl(new QComboBox(GroupBox6), "Point_ComboBox");
    for (const char *name : MarkerNames)
        Point_ComboBox->addItem(QString::fromUtf8(name));
    auto *markers = new QGridLayout(GroupBox6);
    markers->addWidget(CBox_Marker, 0, 0, 1, 2);
    markers->addWidget(new QLabel(QStringLiteral("Тип маркера:"), GroupBox6), 1, 0);
    markers->addWidget(Point_ComboBox, 1, 1);

    BitBtn1 = NamedControl(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn2 = NamedControl(new QPushButton(QStringLiteral("Отмена"), this), "BitBtn2");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm_Color::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    const std::pair<QWidget *, QWidget *> rows[] = {
        {Label2, Shape1}, {Label3, Shape2}, {Label4, Shape3}, {Label6, CSEdit_Width}};
    int row = 0;
    for (const auto &[label, control] : rows) {
        grid->addWidget(label, row, 0);
        grid->addWidget(control, row++, 1);
    }
    grid->addWidget(RadioGroup2, row++, 0, 1, 2);
    grid->addWidget(GroupBox6, row++, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    grid->addLayout(buttons, row, 0, 1, 2);
}

// Time diagrams are another unit's windows; they are known by their class name, so that this dialog
// needs nothing of them.
void TForm_Color::Setup(int32_t kind, QWidget *ownerWindow) {
    owner_ = ownerWindow;
    Kind = kind;
    if (Series)
        Shape1->SetColour(int32_t(QColorToColor(Series->Color())));
    auto *graph = qobject_cast<TForm_Graphic *>(ownerWindow);
    if (graph)
        IsTimeDiagram = OwnerKind::GraphWindow;
    else if (ownerWindow && ownerWindow->inherits("TForm_TimeDiagram"))
        IsTimeDiagram = OwnerKind::TimeDiagram;
    const int penWidth = Series && Series->PenVisible() ? Series->LineWidth() : 0;
    if (IsTimeDiagram == OwnerKind::TimeDiagram) {
        Label6->setEnabled(true);
        CSEdit_Width->setEnabled(true);
        CSEdit_Width->setValue(penWidth);
    }
    if (graph) {
        if (IsSpectrumWithBand(kind)) {
            for (QWidget *control : std::initializer_list<QWidget *>{Label2, Shape1, Label3, Shape2, Label4, Shape3})
                control->setEnabled(true);
            Shape2->SetColour(graph->BandColour);
            Shape3->SetColour(graph->ToneColour);
        }
        const bool ownWidth = !KeepsItsWidth(kind);
        Label6->setEnabled(ownWidth);
        CSEdit_Width->setEnabled(ownWidth);
        if (ownWidth)
            CSEdit_Width->setValue(penWidth);
    }
    if (!Series)
        return;
    CBox_Mark->setChecked(Series->MarksVisible());
    (Series->MarksStyle() == TChartSeries::MarksXValue ? RadioButton6 : RadioButton3)->setChecked(true);
    CBox_Marker->setChecked(Series->PointerVisible());
    Point_ComboBox->setCurrentIndex(int(Series->Pointer()));
}

void TForm_Color::BitBtn1Click() {
    if (!Series) {
        accept();
        return;
    }
    Series->SetColor(ColorToQColor(TColor(Shape1->Colour())));
    const int width = CSEdit_Width->value();
    const auto applyWidth = [&] {
        Series->SetLineWidth(width);
        Series->SetPenVisible(width != 0);
    };
    if (IsTimeDiagram == OwnerKind::TimeDiagram)
        applyWidth();
    if (auto *graph = qobject_cast<TForm_Graphic *>(owner_); graph && IsTimeDiagram == OwnerKind::GraphWindow) {
        graph->ToneColour = Shape1->Colour();
        if (IsSpectrumWithBand(Kind)) {
            graph->BandColour = Shape2->Colour();
            graph->ToneColour = Shape3->Colour();
        }
        if (!KeepsItsWidth(Kind))
            applyWidth();
    }
    Series->SetMarks(CBox_Mark->isChecked(),
                     RadioButton6->isChecked() ? TChartSeries::MarksXValue : TChartSeries::MarksValue);
    // A line without pen always shows its points.
    if (width == 0)
        CBox_Marker->setChecked(true);
    const int penWidth = Series->PenVisible() ? Series->LineWidth() : 0;
    const int markerSize = CBox_Marker->isChecked() ? (penWidth == 0 ? 3 : penWidth + 1) : 1;
    const int style = CBox_Marker->isChecked() ? Point_ComboBox->currentIndex() : int(Series->Pointer());
    Series->SetPointer(CBox_Marker->isChecked(), TChartSeries::PointerStyle(std::clamp(style, 0, 8)), markerSize);
    accept();
}

#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TChartSeries;
class TColourSwatch;

// The modal dialog of one line of a graph window or a time diagram: its colour, pen width, marks and
// point markers, and for the spectra of graph kinds 1 and 21 the colours of the analysis band and of the
// recognised signal. The caller sets the caption and Series, runs Setup, shows the dialog and redraws.
class TForm_Color : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Color(QWidget *owner = nullptr);

    enum class OwnerKind { Other, GraphWindow, TimeDiagram };

    TColourSwatch *Shape1 = nullptr; // the line
    TColourSwatch *Shape2 = nullptr; // the analysis band
    TColourSwatch *Shape3 = nullptr; // the recognised signal
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label6 = nullptr;
    QSpinBox *CSEdit_Width = nullptr;
    QGroupBox *RadioGroup2 = nullptr;
    QCheckBox *CBox_Mark = nullptr;
    QRadioButton *RadioButton3 = nullptr; // marks show y
    QRadioButton *RadioButton6 = nullptr; // marks show x
    QGroupBox *GroupBox6 = nullptr;
    QCheckBox *CBox_Marker = nullptr;
    QComboBox *Point_ComboBox = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;

    int32_t Kind = 0; // the graph kind, or the unit code of a time diagram
    OwnerKind IsTimeDiagram = OwnerKind::Other;
    TChartSeries *Series = nullptr;

    // Fills the dialog from Series and the owner window; nothing else.
    void Setup(int32_t kind, QWidget *ownerWindow);
    void BitBtn1Click();

private:
    QWidget *owner_ = nullptr;
};

#pragma once

#include <QDialog>

#include <cstdint>

class QPushButton;
class QRadioButton;
class QGroupBox;
class QSpinBox;
class TColourSwatch;

// The modal "Настройка маски" dialog of one mask side of a graph window: colour, pen width and whether
// the mask is drawn as a hatched template or as a line. OK writes the three values back, "Отмена"
// nothing.
class TMask_Color : public QDialog {
    Q_OBJECT
public:
    explicit TMask_Color(QWidget *owner = nullptr);

    TColourSwatch *Shape1 = nullptr;
    QGroupBox *RG_TypeMask = nullptr;
    QRadioButton *RG_Template = nullptr; // "Шаблон", item 0
    QRadioButton *RG_Line = nullptr;     // "Линия", item 1
    QSpinBox *CSEdit_Width = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;

    // The window's values of the side: colour 0x00BBGGRR, pen width 0..10, style 0 template, 1 line
    // (the meaning of TMASK.IsLine). They stay untouched unless the user confirms.
    void Setup(int32_t &colour, int32_t &width, int32_t &style);
    void BitBtn1Click();

private:
    int32_t *colour_ = nullptr;
    int32_t *width_ = nullptr;
    int32_t *style_ = nullptr;
};

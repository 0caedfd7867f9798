#include "views/masks/Mask_colorgraph.h"

#include "controls/FormHelpers.h"
#include "views/masks/ColourSwatch.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

TMask_Color::TMask_Color(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Mask_Color"));
    setWindowTitle(QStringLiteral("Настройка маски"));
    Shape1 = NamedControl(new TColourSwatch(this), "Shape1");
    RG_TypeMask = NamedControl(new QGroupBox(QStringLiteral("Тип маски"), this), "RG_TypeMask");
    RG_Template = new QRadioButton(QStringLiteral("Шаблон"), RG_TypeMask);
    RG_Line = new QRadioButton(QStringLiteral("Линия"), RG_TypeMask);
    auto *items = new QHBoxLayout(RG_TypeMask);
    items->addWidget(RG_Template);
    items->addWidget(RG_Line);
    RG_Template->setChecked(true);
    CSEdit_Width = NamedControl(new QSpinBox(this), "CSEdit_Width");
    CSEdit_Width->setRange(0, 10);
    CSEdit_Width->setValue(3);
    BitBtn1 = NamedControl(new QPushButton(QStringLiteral("OK"), this), "BitBtn1");
    BitBtn2 = NamedControl(new QPushButton(QStringLiteral("Отмена"), this), "BitBtn2");
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TMask_Color::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Цвет маски:"), this), 0, 0);
    grid->addWidget(Shape1, 0, 1);
    grid->addWidget(RG_TypeMask, 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Толщина линии"), this), 2, 0);
    grid->addWidget(CSEdit_Width, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    grid->addLayout(buttons, 3, 0, 1, 2);
}

void TMask_Color::Setup(int32_t &colour, int32_t &width, int32_t &style) {
    colour_ = &colour;
    width_ = &width;
    style_ = &style;
    Shape1->SetColour(colour);
    CSEdit_Width->setValue(width);
    (style == 1 ? RG_Line : RG_Template)->setChecked(true);
}

void TMask_Color::BitBtn1Click() {
    if (colour_) {
        *colour_ = Shape1->Colour();
        *width_ = CSEdit_Width->value();
        *style_ = RG_Line->isChecked() ? 1 : 0;
    }
    accept();
}

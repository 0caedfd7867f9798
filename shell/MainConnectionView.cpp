#include "shell/MainConnectionView.h"

#include "shell/Main.h"
#include "shell/StatusBar2.h"

#include <QApplication>
#include <QObject>
#include <QToolButton>

void TMainConnectionView::SetCounterPanel(const QString &panelName, const QString &text) {
    if (auto *panel = form_.findChild<QWidget *>(panelName))
        panel->setProperty("text", text);
}

void TMainConnectionView::SetGeneratorSummary(const QString &caption, int image) {
    form_.ToolButton1->setText(caption);
    form_.Button_Gen->setProperty("ImageIndex", image);
    form_.FitSummaryBands();
}

void TMainConnectionView::SetMeterSummary(const QString &caption) {
    form_.ToolButton20->setText(caption);
    form_.FitSummaryBands();
}

void TMainConnectionView::SetOverloadText(const QString &text) {
    form_.StatusBar2->SetPanelText(3, text);
}

bool TMainConnectionView::PauseDown() const {
    return form_.Button_Stop->isChecked();
}

void TMainConnectionView::Beep() {
    QApplication::beep();
}

void InstallMainConnectionView(TMainForm &form) {
    auto *view = new TMainConnectionView(form);
    SetConnectionView(view);
    QObject::connect(&form, &QObject::destroyed, [view] {
        if (ConnectionView() == view)
            SetConnectionView(nullptr);
        delete view;
    });
}

#pragma once

#include "platform/DateTime.h"

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QShowEvent;

// The about box: the program's name, its version and its build date. Shown modally; it frees itself
// when closed.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // programVersion: the version word of the identification block (611 is V6.11).
    TAboutForm(int programVersion, TDateTime buildDate, QWidget *owner = nullptr);
    ~TAboutForm() override;

    QFrame *Bevel1;
    QLabel *Label10;
    QLabel *Image1;
    QLabel *Label2;
    QLabel *Label8;
    QLabel *Label9;
    QPushButton *BitBtn1;

protected:
    void showEvent(QShowEvent *event) override;
};

// The box while it exists.
extern TAboutForm *AboutForm;

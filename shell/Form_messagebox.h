#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

// A modal question with a free text and three buttons with free captions, answering 1, 2 or 3. Esc
// and a close by the window system answer 3, the caller's "cancel". It frees itself when closed.
class TForm_MesBox : public QDialog {
    Q_OBJECT
public:
    TForm_MesBox(const QString &caption, const QString &message, const QString &button1, const QString &button2,
                 const QString &button3, QWidget *owner = nullptr);
    ~TForm_MesBox() override;

    QLabel *StaticText1;
    QFrame *Panel1;
    QPushButton *BitBtn1;
    QPushButton *BitBtn2;
    QPushButton *BitBtn3;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void reject() override;
};

// The box while it exists.
extern TForm_MesBox *Form_MesBox;

// Replaces an older box by a new one, shows it modally and gives its answer (1, 2 or 3); the box is
// gone when this returns. While batch control runs no window may open: the answer is then 3.
int AskWithMesBox(const QString &caption, const QString &message, const QString &button1, const QString &button2,
                  const QString &button3, QWidget *owner = nullptr);

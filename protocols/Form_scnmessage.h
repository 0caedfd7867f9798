#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QWidget;
struct ScenarioRow;

// "Введите сообщение при паузе:", the modal editor of a scenario row's pause message (at most 300
// characters).
class TForm_ScnMsg : public QDialog {
    Q_OBJECT
public:
    explicit TForm_ScnMsg(QWidget *owner = nullptr);

    QPlainTextEdit *Memo1;
    QWidget *Panel1;
    QPushButton *BitBtn1; // OK
    QPushButton *BitBtn2; // "Отмена"

    void SetLines(const QStringList &lines);
    QStringList Lines() const;

private:
    void KeepWithinLength();
};

// Shows the editor with the row's message; OK puts the edited lines into the row, Cancel leaves it as it
// was. True on OK.
bool EditPauseMessage(QWidget *owner, ScenarioRow &row);

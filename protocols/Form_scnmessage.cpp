#include "protocols/Form_scnmessage.h"

#include "protocols/PauseMessage.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

constexpr int MaxMessageLength = 300;

} // namespace

TForm_ScnMsg::TForm_ScnMsg(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("Form_ScnMsg"));
    setWindowTitle(QStringLiteral("Введите сообщение при паузе:"));
    // A dialog without border icons: no system menu, no minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    BitBtn1 = new QPushButton(QStringLiteral("OK"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отмена"), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    auto *buttons = new QHBoxLayout(Panel1);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Memo1);
    layout->addWidget(Panel1);
    resize(400, 220);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Memo1, &QPlainTextEdit::textChanged, this, &TForm_ScnMsg::KeepWithinLength);
}

void TForm_ScnMsg::SetLines(const QStringList &lines) {
    Memo1->setPlainText(lines.join(u'\n'));
}

QStringList TForm_ScnMsg::Lines() const {
    const QString text = Memo1->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

// Text typed or pasted beyond the limit is cut off.
void TForm_ScnMsg::KeepWithinLength() {
    const QString text = Memo1->toPlainText();
    if (text.size() <= MaxMessageLength)
        return;
    const QSignalBlocker blocker(Memo1);
    Memo1->setPlainText(text.left(MaxMessageLength));
    Memo1->moveCursor(QTextCursor::End);
}

bool EditPauseMessage(QWidget *owner, ScenarioRow &row) {
    TForm_ScnMsg editor(owner);
    editor.SetLines(PauseMessageLines(row));
    if (editor.exec() != QDialog::Accepted)
        return false;
    SetPauseMessage(row, editor.Lines());
    return true;
}

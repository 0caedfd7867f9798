#include "shell/Form_textmsg.h"

#include "controls/FormHelpers.h"
#include "controls/Placemnt.h"
#include "shell/MaximizeFit.h"
#include "settings/remote/RemoteExchange.h"
#include "state/DeviceSettings.h"
#include "state/TextMessages.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTime>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int ListHeight = 196;
constexpr int MinimumEditHeight = 30;
constexpr int ButtonPanelHeight = 41;
constexpr int ButtonRightGap = 20;

const QColor SentColour(0, 128, 0);
const QColor ReceivedColour(0, 0, 255);

QTextEdit *FocusedEdit() {
    return qobject_cast<QTextEdit *>(QApplication::focusWidget());
}

} // namespace

TForm_Txt::TForm_Txt(const QString &iniFileName, QWidget *parent)
    : QWidget(parent), RE_Get(NamedControl(new QTextEdit, "RE_Get")),
      Splitter1(NamedControl(new QSplitter(Qt::Vertical), "Splitter1")),
      Panel2(NamedControl(new QLabel(QStringLiteral("   Введите сообщение для передачи на удаленный R9:")), "Panel2")),
      RE_Send(NamedControl(new QTextEdit, "RE_Send")), Panel1(NamedControl(new QWidget, "Panel1")),
      Btn_Send(NamedControl(new QPushButton(QStringLiteral("Передать сообщение"), Panel1), "Btn_Send")),
      PopupMenu1(NamedControl(new QMenu(this), "PopupMenu1")) {
    setObjectName(QStringLiteral("Form_Txt"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Текстовые сообщения"));
    resize(512, 374);

    RE_Get->setReadOnly(true);
    RE_Get->setMinimumHeight(MinimumEditHeight);
    QPalette menuColour = RE_Get->palette();
    menuColour.setColor(QPalette::Base, QPalette().color(QPalette::Window));
    RE_Get->setPalette(menuColour);
    RE_Send->setAcceptRichText(false);
    RE_Send->setMinimumHeight(MinimumEditHeight);
    Panel2->setMaximumHeight(25);

    auto *lower = new QWidget;
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->setSpacing(0);
    lowerLayout->addWidget(Panel2);
    lowerLayout->addWidget(RE_Send, 1);
    Splitter1->addWidget(RE_Get);
    Splitter1->addWidget(lower);
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    // The list keeps its height when the window is resized; the edit below takes the rest.
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({ListHeight, height() - ListHeight - ButtonPanelHeight});

    // The button keeps its distance from the right edge whatever the window's width.
    Panel1->setFixedHeight(ButtonPanelHeight);
    auto *buttonRow = new QHBoxLayout(Panel1);
    buttonRow->setContentsMargins(0, 0, ButtonRightGap, 0);
    buttonRow->addStretch(1);
    buttonRow->addWidget(Btn_Send);
    Btn_Send->setFixedSize(160, 28);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Splitter1, 1);
    layout->addWidget(Panel1);

    N1 = PopupMenu1->addAction(QStringLiteral("Вырезать"), QKeySequence(Qt::CTRL | Qt::Key_X), this,
                               &TForm_Txt::N1Click);
    N2 = PopupMenu1->addAction(QStringLiteral("Копировать"), QKeySequence(Qt::CTRL | Qt::Key_C), this,
                               &TForm_Txt::N2Click);
    N3 = PopupMenu1->addAction(QStringLiteral("Вставить"), QKeySequence(Qt::CTRL | Qt::Key_V), this,
                               &TForm_Txt::N3Click);
    N1->setObjectName(QStringLiteral("N1"));
    N2->setObjectName(QStringLiteral("N2"));
    N3->setObjectName(QStringLiteral("N3"));
    for (QTextEdit *edit : {RE_Get, RE_Send}) {
        edit->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(edit, &QWidget::customContextMenuRequested, this, [this, edit](QPoint at) {
            edit->setFocus();
            PopupMenu1Popup();
            PopupMenu1->popup(edit->viewport()->mapToGlobal(at));
        });
    }
    connect(Btn_Send, &QPushButton::clicked, this, &TForm_Txt::Btn_SendClick);

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetActive(false);
    FormStorage1->SetIniFileName(iniFileName);
    FormStorage1->SetIniSection(windowTitle());
    FormStorage1->SetStoredProps({QStringLiteral("RE_Get.Height")});
    FormStorage1->OnRestorePlacement = [this] { FormStorage1RestorePlacement(); };
    FormStorage1->RestoreFormPlacement();
    FormStorage1RestorePlacement();
    FitOnMaximize(this);
}

TForm_Txt::~TForm_Txt() {
    FormStorage1->FormDestroy();
}

void TForm_Txt::FormStorage1RestorePlacement() {
    // The list keeps the height the store gave it; the splitter shares out the rest.
    const int list = std::max(RE_Get->height(), MinimumEditHeight);
    Splitter1->setSizes({list, std::max(Splitter1->height() - list, MinimumEditHeight)});
}

void TForm_Txt::ShowIncomingMessage() {
    const TDeviceSettings &s = *DeviceSettings;
    Btn_Send->setEnabled(s.ConnectState == 2 || s.PeerConnectState > 0);
    if (IncomingTextMessage.isEmpty())
        return;
    AddToList(QStringLiteral(">>Удаленный R-9:"), IncomingTextMessage, ReceivedColour);
    IncomingTextMessage.clear();
}

void TForm_Txt::AddToList(const QString &who, const QString &text, const QColor &colour) {
    QTextCursor cursor(RE_Get->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat header;
    header.setForeground(colour);
    header.setFontWeight(QFont::Bold);
    QTextCharFormat plain;
    plain.setForeground(colour);
    plain.setFontWeight(QFont::Normal);
    if (!RE_Get->document()->isEmpty())
        cursor.insertBlock();
    cursor.insertText(QStringLiteral(" ") + QTime::currentTime().toString(QStringLiteral("hh:mm")) +
                          QStringLiteral(" ") + who,
                      header);
    cursor.insertBlock();
    cursor.insertText(text, plain);
    RE_Get->setTextCursor(cursor);
    RE_Get->ensureCursorVisible();
}

void TForm_Txt::Btn_SendClick() {
    const QString text = RE_Send->toPlainText();
    if (text.isEmpty())
        return;
    OutgoingTextMessage = text;
    // A message refused for its length stays in the edit, so that nothing typed is lost.
    if (!SendRemoteMessage({SendTxt_R}))
        return;
    AddToList(QStringLiteral(">>R-9:"), OutgoingTextMessage, SentColour);
    RE_Send->clear();
    setFocus();
}

void TForm_Txt::PopupMenu1Popup() {
    QTextEdit *focused = FocusedEdit();
    const bool selection = focused && focused->textCursor().hasSelection();
    const QMimeData *clip = QApplication::clipboard()->mimeData();
    N1->setEnabled(focused && focused != RE_Get && selection);
    N2->setEnabled(selection);
    N3->setEnabled(focused && focused != RE_Get && clip && clip->hasText());
}

void TForm_Txt::N1Click() {
    if (QTextEdit *focused = FocusedEdit(); focused && focused != RE_Get)
        focused->cut();
}

void TForm_Txt::N2Click() {
    if (QTextEdit *focused = FocusedEdit())
        focused->copy();
}

void TForm_Txt::N3Click() {
    RE_Send->paste();
}

void TForm_Txt::closeEvent(QCloseEvent *event) {
    FormStorage1->SaveFormPlacement();
    QWidget::closeEvent(event);
}

#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QTextEdit;
class TFormStorage;

// "Текстовые сообщения": the chat with the analyser at the line's other end. The user types a message
// and sends it; sent and received messages are listed with the time. A child window of the main
// window's client area; it keeps its placement and the height of the list in R9.ini and frees itself
// when closed.
class TForm_Txt : public QWidget {
    Q_OBJECT
public:
    // iniFileName: the program's R9.ini.
    explicit TForm_Txt(const QString &iniFileName, QWidget *parent = nullptr);
    ~TForm_Txt() override;

    QTextEdit *RE_Get;
    QSplitter *Splitter1;
    QLabel *Panel2;
    QTextEdit *RE_Send;
    QWidget *Panel1;
    QPushButton *Btn_Send;
    QMenu *PopupMenu1;
    QAction *N1;
    QAction *N2;
    QAction *N3;
    TFormStorage *FormStorage1;

    // The send button follows the remote link; a text received since the last call is listed once.
    void ShowIncomingMessage();

public slots:
    void Btn_SendClick();
    void PopupMenu1Popup();
    void N1Click();
    void N2Click();
    void N3Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormStorage1RestorePlacement();
    // A header line " hh:mm " + who in bold, then the text in plain type, both in the colour.
    void AddToList(const QString &who, const QString &text, const QColor &colour);
};

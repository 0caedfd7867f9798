#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QMouseEvent;
class QShowEvent;

// The documentation index: eight links, each opening a PDF manual of the program's Help folder with
// the desktop's handler for the file. It frees itself when closed.
class TForm_Help : public QWidget {
    Q_OBJECT
public:
    explicit TForm_Help(QWidget *owner = nullptr);
    ~TForm_Help() override;

    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label8;
    QLabel *Label5;
    QLabel *Label6;
    QLabel *Label7;
    QLabel *Label11;
    QLabel *Label9;

public slots:
    // The control under the mouse turns red, every other link black.
    void Label1MouseMove(QObject *sender);
    // Opens the first manual, in name order and whatever the case of its name, that matches the
    // clicked link's file mask; warns when there is none.
    void Label1Click(QObject *sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    std::array<QLabel *, 8> Links() const;
};

// The index while it exists.
extern TForm_Help *Form_Help;

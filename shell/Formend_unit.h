#pragma once

#include <QWidget>

class QLabel;
class QShowEvent;

// The borderless notice shown while a running measurement is being ended. It frees itself when closed.
class TFormEnd : public QWidget {
    Q_OBJECT
public:
    explicit TFormEnd(QWidget *owner = nullptr);
    ~TFormEnd() override;

    // The panel filling the window; its caption is the notice.
    QLabel *Panel1;

protected:
    void showEvent(QShowEvent *event) override;
};

// The notice while it exists.
extern TFormEnd *FormEnd;

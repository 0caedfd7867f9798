#pragma once

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QButtonGroup;
class QGridLayout;
class QPaintEvent;
class QRadioButton;

// A radio group whose frame can be switched off; the caption and the buttons stay either way.
// Buttons are laid out top to bottom, then in further columns.
class TRadioGroup_Border : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup_Border(QWidget *parent = nullptr);

    bool Border() const { return border_; }
    void SetBorder(bool value);
    // The sunken two-colour frame; without it a single line in the window-frame colour.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool value);

    QStringList Items() const { return items_; }
    void SetItems(const QStringList &items);
    int Columns() const { return columns_; }
    void SetColumns(int value);
    // -1 when no button is checked.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton *Button(int index) const;

signals:
    // The user checked a button.
    void Click();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void ArrangeButtons();

    bool border_ = true;
    bool ctl3D_ = true;
    int columns_ = 1;
    QStringList items_;
    QButtonGroup *group_;
    QGridLayout *layout_;
    std::vector<QRadioButton *> buttons_;
};

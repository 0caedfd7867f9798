#pragma once

#include <QColor>
#include <QFrame>

#include <functional>

// A colour swatch of the colour dialogs: a click opens a colour dialog preset with the swatch's colour,
// and the swatch takes the colour the user confirms. Colours are kept as the program stores them,
// 0x00BBGGRR.
class TColourSwatch : public QFrame {
    Q_OBJECT
public:
    explicit TColourSwatch(QWidget *parent = nullptr);

    int32_t Colour() const { return colour_; }
    void SetColour(int32_t colour);

    // The colour dialog (owner, initial colour); an invalid colour means cancelled. Tests answer it.
    static std::function<QColor(QWidget *owner, const QColor &initial)> AskColour;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int32_t colour_ = 0;
};

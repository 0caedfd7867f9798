#pragma once

#include <QLabel>

class QPaintEvent;

enum TLabel3DStyle { lsLowered = 0, lsRaised = 1 };

// A label whose caption looks pressed into the surface (lowered) or standing out of it (raised): a
// shadow copy and a highlight copy one pixel to either side lie under the face.
class TLabel3D : public QLabel {
    Q_OBJECT
public:
    explicit TLabel3D(QWidget *parent = nullptr);
    explicit TLabel3D(const QString &caption, QWidget *parent = nullptr);

    TLabel3DStyle Style() const { return style_; }
    void SetStyle(TLabel3DStyle value);
    // Without transparency the label fills its rectangle with its background colour first.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    // With accelerator characters shown, '&' marks the next character and "&&" is a single '&'.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TLabel3DStyle style_ = lsLowered;
    bool transparent_ = false;
    bool showAccelChar_ = true;
};

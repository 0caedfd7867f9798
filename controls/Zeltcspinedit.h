#pragma once

#include <QAbstractSpinBox>
#include <QChar>

class QFocusEvent;
class QKeyEvent;

// A spin edit for floating-point values: the value, its limits and the step are doubles, ',' and '.'
// both serve as the decimal mark, and the step follows the digit right of the caret (a power of ten),
// returning to the design step when the caret stands at the end of the text.
//
// Limits that are equal (both 0 until set) pin the value to that one number. The text is read without
// clamping; clamping happens on every write, on Enter and when the focus leaves the field.
class TZeltCSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    Q_PROPERTY(double Value READ GetValue WRITE SetValue)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(double Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)
public:
    explicit TZeltCSpinEdit(QWidget *parent = nullptr);
    ~TZeltCSpinEdit() override;

    // Reads the text (leading numeric part, 0 when there is none) and adapts Increment to the caret.
    double GetValue();
    // Writes CheckValue(x) in fixed notation with 15 significant digits, so that the text never holds
    // an exponent and always reads back as the value written. The caret goes to the start of the text,
    // so a step chosen by the caret stays for a run of clicks.
    void SetValue(double x);
    double CheckValue(double x) const;

    double MinValue() const { return minValue_; }
    void SetMinValue(double value);
    double MaxValue() const { return maxValue_; }
    void SetMaxValue(double value);
    double Increment() const { return increment_; }
    // A step written by the program becomes the design step at the next read.
    void SetIncrement(double value);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int value) { maxLength_ = value; }
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool value) { editorEnabled_ = value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }

    // Whether a typed character may go into the text; Enter ('\r') normalises and clamps the text and
    // is itself refused. Backspace is '\b'.
    bool IsValidChar(QChar key);
    // False when the character is dropped (with a beep).
    bool KeyPress(QChar key);
    // Cursor up and down step the value.
    void KeyDown(int key);

public slots:
    void UpClick();
    void DownClick();
    void CMEnter();
    void CMExit();

signals:
    // The text changed, by typing or by a written value.
    void Change();

protected:
    virtual void Beep();

    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void stepBy(int steps) override;
    StepEnabled stepEnabled() const override;

private:
    double minValue_ = 0;
    double maxValue_ = 0;
    double increment_ = 1;
    int maxLength_ = 0;
    double baseIncrement_ = 1;
    bool baseIncrementSaved_ = false;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
};

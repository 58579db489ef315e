#pragma once

#include <QSpinBox>

// An integer box whose value is its text: any integer may be typed, every change of the text is
// reported, and a typed value is brought into the bounds only when the focus leaves. Both bounds
// 0 means no bounds. Main thread.
class TSpinEdit : public QSpinBox
{
    Q_OBJECT

public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    void SetBounds(int minValue, int maxValue);
    // The text read as a decimal integer, else the lower bound.
    int Value() const;
    // Shows the value, brought into the bounds when the box has any.
    void SetValue(int value);

    QValidator::State validate(QString& input, int& position) const override;
    void stepBy(int steps) override;

Q_SIGNALS:
    // Every change of the text: typing, arrow steps and values set by code.
    void Change();

protected:
    int valueFromText(const QString& text) const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // QSpinBox rewrites its text with the editor's signals blocked, so changes are noticed here.
    void NoteText();
    bool IsBounded() const { return FMinValue != 0 || FMaxValue != 0; }
    int Bound(int value) const;

    int FMinValue = 0;
    int FMaxValue = 0;
    QString FShownText;
};

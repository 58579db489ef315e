#include "controls/SpinEdit.h"

#include <QLineEdit>

#include <algorithm>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace {
std::optional<int> ParseInteger(const QString& text)
{
    bool isNumber = false;
    const int value = text.toInt(&isNumber, 10);
    return isNumber ? std::optional(value) : std::nullopt;
}
} // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent)
{
    SetBounds(0, 0);
    setSingleStep(1);
    setAccelerated(false);
    FShownText = lineEdit()->text();
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::NoteText);
    connect(this, &QSpinBox::textChanged, this, &TSpinEdit::NoteText);
}

void TSpinEdit::SetBounds(int minValue, int maxValue)
{
    FMinValue = minValue;
    FMaxValue = maxValue;
    if (IsBounded())
        setRange(minValue, maxValue);
    else
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

int TSpinEdit::Value() const
{
    return ParseInteger(lineEdit()->text()).value_or(FMinValue);
}

void TSpinEdit::SetValue(int value)
{
    const QString text = textFromValue(Bound(value));
    setValue(Bound(value));
    // QSpinBox leaves the text alone when its stored value did not change, but a typed
    // out-of-bounds text must still be replaced.
    if (lineEdit()->text() != text)
        lineEdit()->setText(text);
    NoteText();
}

void TSpinEdit::NoteText()
{
    if (lineEdit()->text() == FShownText)
        return;
    FShownText = lineEdit()->text();
    Q_EMIT Change();
}

QValidator::State TSpinEdit::validate(QString& input, int& position) const
{
    Q_UNUSED(position);
    if (input.isEmpty() || input == u"-"_s || input == u"+"_s)
        return QValidator::Intermediate;
    return ParseInteger(input) ? QValidator::Acceptable : QValidator::Invalid;
}

void TSpinEdit::stepBy(int steps)
{
    // Steps from the shown text, which may lie outside the bounds while the user types.
    const qint64 next = qint64(Value()) + qint64(steps) * singleStep();
    SetValue(int(std::clamp<qint64>(next, std::numeric_limits<int>::min(),
                                    std::numeric_limits<int>::max())));
}

int TSpinEdit::valueFromText(const QString& text) const
{
    return ParseInteger(text).value_or(FMinValue);
}

void TSpinEdit::focusOutEvent(QFocusEvent* event)
{
    SetValue(Value());
    QSpinBox::focusOutEvent(event);
}

int TSpinEdit::Bound(int value) const
{
    return IsBounded() ? std::clamp(value, FMinValue, FMaxValue) : value;
}

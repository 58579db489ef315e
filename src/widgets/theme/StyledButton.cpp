#include "theme/StyledButton.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPainterPath ButtonShape(TButtonDrawType type, const QRectF& bounds, qreal cornerRadius)
{
    QPainterPath path;
    switch (type) {
    case TButtonDrawType::RoundRect:
        path.addRoundedRect(bounds, cornerRadius, cornerRadius);
        break;
    case TButtonDrawType::Rounded:
        path.addRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);
        break;
    case TButtonDrawType::Rect:
        path.addRect(bounds);
        break;
    case TButtonDrawType::Ellipse:
        path.addEllipse(bounds);
        break;
    }
    return path;
}

} // namespace

TStyledButton::TStyledButton(QWidget* parent) : QAbstractButton(parent) {}

TStyledButton::TStyledButton(const QString& family, const QString& appearance, QWidget* parent)
    : TStyledButton(parent)
{
    FFamily = family;
    if (const auto styles = FindStyleFamily(family))
        FClass = styles->DefaultStyle().StyleClass;
    FAppearance = appearance;
}

void TStyledButton::SetCornerRadius(int radius)
{
    FCornerRadius = radius;
    update();
}

TButtonState TStyledButton::State() const
{
    if (!isEnabled())
        return TButtonState::Disabled;
    if (isDown())
        return TButtonState::Pressed;
    if (isChecked())
        return TButtonState::Selected;
    if (FIsHot)
        return TButtonState::Hot;
    return TButtonState::Normal;
}

QSize TStyledButton::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, this->text());
    return {text.width() + 24, text.height() + 12};
}

void TStyledButton::paintEvent(QPaintEvent*)
{
    const TStyledButtonAttributes attributes = CurrentAttributes();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    if (attributes.ButtonDrawStyle == TButtonDrawStyle::Solid)
        painter.fillPath(ButtonShape(attributes.DrawType, rect(), FCornerRadius),
                         attributes.ButtonColor);

    if (attributes.BorderDrawStyle == TBorderDrawStyle::Solid) {
        // Inset by half the pen so that straight edges cover whole pixels.
        const int penWidth = qMax(1, attributes.BorderWidth);
        const qreal inset = penWidth / 2.0;
        const QRectF outline = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
        painter.strokePath(ButtonShape(attributes.DrawType, outline, FCornerRadius),
                           QPen(attributes.BorderColor, penWidth));
    }

    painter.setPen(attributes.FontColor);
    painter.setFont(StyledFont(attributes.FontStyle));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

void TStyledButton::enterEvent(QEnterEvent* event)
{
    FIsHot = true;
    update();
    QAbstractButton::enterEvent(event);
}

void TStyledButton::leaveEvent(QEvent* event)
{
    FIsHot = false;
    update();
    QAbstractButton::leaveEvent(event);
}

TStyledButtonAttributes TStyledButton::CurrentAttributes() const
{
    const auto styles = FindStyleFamily(FFamily);
    if (!styles)
        return FallbackAttributes();
    return styles->UpdateAttributes(FFamily, FClass, FAppearance).ForState(State());
}

// Without a registered family the button still reads as a button, in the palette's colours.
TStyledButtonAttributes TStyledButton::FallbackAttributes() const
{
    TStyledButtonAttributes attributes;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    attributes.ButtonColor = palette().color(group, isDown() ? QPalette::Mid : QPalette::Button);
    attributes.BorderColor = palette().color(group, QPalette::Dark);
    attributes.FontColor = palette().color(group, QPalette::ButtonText);
    return attributes;
}

QFont TStyledButton::StyledFont(TFontStyles style) const
{
    QFont styled = font();
    styled.setBold(style.testFlag(TFontStyle::Bold));
    styled.setItalic(style.testFlag(TFontStyle::Italic));
    styled.setUnderline(style.testFlag(TFontStyle::Underline));
    styled.setStrikeOut(style.testFlag(TFontStyle::StrikeOut));
    return styled;
}

#include "theme/StyledToolBar.h"

#include <QButtonGroup>

TStyledToolBar::TStyledToolBar(const QString& family, const QString& appearance, QWidget* parent)
    : QWidget(parent), FFamily(family), FAppearance(appearance), FGroup(new QButtonGroup(this))
{
    FGroup->setExclusive(true);
}

TStyledButton* TStyledToolBar::AddButton(const QString& text)
{
    const auto button = new TStyledButton(FFamily, FAppearance, this);
    button->setText(text);
    button->setCheckable(true);
    button->SetCornerRadius(FCornerRadius);
    button->setGeometry(
        QRect(QPoint(Indent + Buttons().size() * ButtonSize.width(), 0), ButtonSize));
    FGroup->addButton(button);
    button->show();
    updateGeometry();
    return button;
}

QList<TStyledButton*> TStyledToolBar::Buttons() const
{
    QList<TStyledButton*> buttons;
    for (QAbstractButton* button : FGroup->buttons())
        buttons.append(static_cast<TStyledButton*>(button));
    return buttons;
}

void TStyledToolBar::SetCornerRadius(int radius)
{
    FCornerRadius = radius;
    for (TStyledButton* button : Buttons())
        button->SetCornerRadius(radius);
}

QSize TStyledToolBar::sizeHint() const
{
    return {Indent + int(FGroup->buttons().size()) * ButtonSize.width(), ButtonSize.height()};
}

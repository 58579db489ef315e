#include "theme/Shape.h"

#include <QPainter>

TShape::TShape(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::SetColor(QColor color)
{
    FColor = color;
    update();
}

void TShape::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), FColor);
}

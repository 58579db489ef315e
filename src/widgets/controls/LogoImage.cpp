#include "controls/LogoImage.h"

#include <QMouseEvent>
#include <QPainter>

TLogoImage::TLogoImage(const QString& svgFile, QWidget* parent)
    : QWidget(parent), FRenderer(svgFile)
{
    setCursor(Qt::PointingHandCursor);
}

void TLogoImage::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QSize drawn = FRenderer.defaultSize();
    drawn.scale(size(), Qt::KeepAspectRatio);
    QRectF target(QPointF(), drawn);
    target.moveCenter(QRectF(rect()).center());
    QPainter painter(this);
    FRenderer.render(&painter, target);
}

void TLogoImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT Clicked();
    QWidget::mouseReleaseEvent(event);
}

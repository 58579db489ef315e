#include "controls/ActivityIndicator.h"

#include <QPainter>

namespace {
constexpr int Size = 24;
constexpr int DotCount = 8;
constexpr int StepMilliseconds = 90;
} // namespace

TActivityIndicator::TActivityIndicator(QWidget* parent) : QWidget(parent)
{
    setFixedSize(Size, Size);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    FTimer.setInterval(StepMilliseconds);
    connect(&FTimer, &QTimer::timeout, this, &TActivityIndicator::Advance);
}

void TActivityIndicator::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(width() / 2.0, height() / 2.0);
    painter.setPen(Qt::NoPen);
    QColor colour = palette().color(QPalette::WindowText);
    for (int dot = 0; dot < DotCount; ++dot) {
        // The leading dot is solid; the ones behind it fade out.
        const int age = (FStep - dot + DotCount) % DotCount;
        colour.setAlphaF(1.0 - age / double(DotCount));
        painter.setBrush(colour);
        painter.save();
        painter.rotate(dot * 360.0 / DotCount);
        painter.drawEllipse(QPointF(0, -Size / 2.0 + 3.5), 2.5, 2.5);
        painter.restore();
    }
}

void TActivityIndicator::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FTimer.start();
}

void TActivityIndicator::hideEvent(QHideEvent* event)
{
    FTimer.stop();
    QWidget::hideEvent(event);
}

void TActivityIndicator::Advance()
{
    FStep = (FStep + 1) % DotCount;
    update();
}

#pragma once

#include <QSvgRenderer>
#include <QWidget>

// An SVG drawing scaled into the widget with its proportions kept; reports left clicks.
// Main thread.
class TLogoImage : public QWidget
{
    Q_OBJECT

public:
    explicit TLogoImage(const QString& svgFile, QWidget* parent = nullptr);

Q_SIGNALS:
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QSvgRenderer FRenderer;
};
